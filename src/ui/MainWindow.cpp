#include "ui/MainWindow.h"

#include "airplay/DeviceMenu.h"
#include "app/AppDelegate.h"
#include "app/Controls.h"
#include "diagnostics/SystemLog.h"
#include "library/MediaImporter.h"
#include "ui/Artwork.h"
#include "ui/DropAreaView.h"
#include "ui/ElidedLabel.h"
#include "ui/ImageButton.h"
#include "ui/ImageView.h"
#include "ui/ImportProgressView.h"
#include "ui/PlayListTable.h"
#include "ui/PlaySlider.h"
#include "ui/Popover.h"
#include "ui/SpinningIndicator.h"
#include "ui/playCell.h"

#include <QDragEnterEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>
#include <QWindow>

namespace {

const QColor windowColour(1, 115, 169);
constexpr int headerHeight = 72;
constexpr int middleHeight = DropAreaView::designHeight;
constexpr int sideMargin = 40;
constexpr int listMargin = 20;
constexpr int playerWidth = MainWindow::windowWidth - 2 * sideMargin;

// Applies the control's state to the widget now and at every change.
template <typename Apply>
void follow(Control& control, QWidget* widget, Apply apply)
{
    apply();
    QObject::connect(&control, &Control::changed, widget, apply);
}

void bindVisible(Control& control, QWidget* widget)
{
    follow(control, widget, [&control, widget] { widget->setVisible(!control.isHidden()); });
}

void bindVisibleEnabled(Control& control, QWidget* widget)
{
    follow(control, widget, [&control, widget] {
        widget->setVisible(!control.isHidden());
        widget->setEnabled(control.isEnabled());
    });
}

void bindButton(Control& control, ImageButton* button)
{
    follow(control, button, [&control, button] {
        button->setVisible(!control.isHidden());
        button->setEnabled(control.isEnabled());
        if (!control.image().isEmpty()) {
            button->setImageName(control.image());
        }
    });
}

void bindLabel(Control& control, ElidedLabel* label)
{
    follow(control, label, [&control, label] {
        label->setVisible(!control.isHidden());
        label->setEnabled(control.isEnabled());
        label->setText(control.text());
    });
}

void setTextStyle(QWidget* widget, int pixelSize, bool bold, int alpha = 255)
{
    QFont font = widget->font();
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    widget->setFont(font);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, QColor(255, 255, 255, alpha));
    widget->setPalette(palette);
}

ElidedLabel* makeLabel(const char* name, int pixelSize, bool bold, int alpha, QWidget* parent)
{
    auto* label = new ElidedLabel(Qt::ElideRight, parent);
    label->setObjectName(QString::fromLatin1(name));
    setTextStyle(label, pixelSize, bold, alpha);
    return label;
}

ImageButton* makeButton(const char* name, const QString& image, const QString& toolTip, int side,
                        QWidget* parent = nullptr)
{
    auto* button = new ImageButton(image, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(toolTip);
    button->setFixedSize(side, side);
    return button;
}

} // namespace

MainWindow::MainWindow(AppDelegate& controller, QWidget* parent)
    : QWidget(parent), m_controller(controller), m_controls(controller.controls()),
      m_dropRules([&controller](const QStringList& paths) { controller.importMediaFiles(paths); })
{
    setObjectName(QStringLiteral("window"));
    setWindowTitle(QStringLiteral("Orvanta"));
    setWindowIcon(Artwork::applicationIcon());
    setFixedSize(windowWidth, windowHeight);
    setAcceptDrops(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(makeHeader());
    layout->addWidget(makeMiddle());
    layout->addWidget(makePlayer(), 1);

    bindWindow();
    addShortcuts();
}

QWidget* MainWindow::makeHeader()
{
    auto* header = new QWidget(this);
    header->setFixedHeight(headerHeight);

    auto* smallIcon = new ImageView(QStringLiteral("iconSmall"), header);
    smallIcon->setObjectName(QStringLiteral("imgSmallIcon"));
    smallIcon->setFixedSize(30, 30);
    bindVisible(m_controls.imgSmallIcon, smallIcon);

    auto* title = new QLabel(QStringLiteral("Orvanta"), header);
    title->setObjectName(QStringLiteral("windowTitle"));
    setTextStyle(title, 19, true);

    auto* add =
        makeButton("btnSetting", QStringLiteral("addBtn"), QStringLiteral("Add a media file… (Ctrl+O)"), 30);
    bindVisibleEnabled(m_controls.btnSetting, add);
    connect(add, &ImageButton::clicked, &m_controller, &AppDelegate::onOpenMediaFile);

    m_deviceButton =
        makeButton("deviceButton", QStringLiteral("deviceBtn"), QStringLiteral("Choose an Apple TV"), 30);
    connect(m_deviceButton, &ImageButton::clicked, &m_controller, &AppDelegate::openAirplayMenu);

    m_popoverButton =
        makeButton("popoverButton", QStringLiteral("popoverBtn"), QStringLiteral("About Orvanta"), 30);
    bindVisibleEnabled(m_controls.popoverButton, m_popoverButton);
    connect(m_popoverButton, &ImageButton::clicked, &m_controller, &AppDelegate::togglePopover);

    auto* quit =
        makeButton("btnQuit", QStringLiteral("quitBtn"), QStringLiteral("Quit Orvanta (Ctrl+Q)"), 30);
    bindVisibleEnabled(m_controls.btnQuit, quit);
    connect(quit, &ImageButton::clicked, &m_controller, &AppDelegate::QuitApp);

    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(sideMargin, 22, sideMargin - 4, 10);
    row->setSpacing(6);
    row->addWidget(smallIcon);
    row->addSpacing(4);
    row->addWidget(title);
    row->addStretch();
    for (ImageButton* button : {add, m_deviceButton, m_popoverButton, quit}) {
        row->addWidget(button);
    }
    return header;
}

QWidget* MainWindow::makeMiddle()
{
    auto* middle = new QWidget(this);
    middle->setFixedHeight(middleHeight);

    m_table = new PlayListTable(m_controller, middle);
    m_table->setObjectName(QStringLiteral("scrollMusic"));
    m_table->viewport()->setObjectName(QStringLiteral("playListTable"));
    m_table->setGeometry(listMargin, 0, windowWidth - 2 * listMargin, middleHeight);
    m_table->registerCell(QStringLiteral("playCell"), [](QWidget* parent) { return new playCell(parent); });
    bindVisible(m_controls.scrollMusic, m_table);
    follow(m_controls.playListTable, m_table, [this] {
        m_table->viewport()->setVisible(!m_controls.playListTable.isHidden());
        m_table->setRowClicksEnabled(m_controls.playListTable.isEnabled());
    });
    connect(&m_controls, &Controls::tableReloaded, m_table, &PlayListTable::reloadData);

    m_dropArea = new DropAreaView(middle);
    m_dropArea->setObjectName(QStringLiteral("imgDropView"));
    m_dropArea->move(0, 0);
    bindVisible(m_controls.imgDropView, m_dropArea);
    bindVisible(m_controls.imgBigIcon, m_dropArea->imgBigIcon);

    m_dropHighlight = new QLabel(QStringLiteral("Release to add to the playlist"), middle);
    m_dropHighlight->setObjectName(QStringLiteral("dropHighlight"));
    m_dropHighlight->setAlignment(Qt::AlignCenter);
    m_dropHighlight->setStyleSheet(
        QStringLiteral("#dropHighlight { background: rgba(1, 86, 128, 200); color: white; font-size: 17px; "
                       "font-weight: bold;"
                       " border: 2px dashed rgba(255, 255, 255, 220); border-radius: 22px; }"));
    m_dropHighlight->setGeometry(16, 12, windowWidth - 32, middleHeight - 24);
    m_dropHighlight->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_dropHighlight->hide();

    // Below a short playlist, where the rows leave room: how to add more.
    auto* moreHint =
        new QLabel(QStringLiteral("Drop more files on the window, or press Ctrl+O, to add them"), middle);
    moreHint->setObjectName(QStringLiteral("moreFilesHint"));
    moreHint->setAlignment(Qt::AlignCenter);
    setTextStyle(moreHint, 12, false, 130);
    moreHint->setGeometry(listMargin, middleHeight - 40, windowWidth - 2 * listMargin, 24);
    const auto updateMoreHint = [this, moreHint] {
        const qint64 rowsHeight = m_controller.numberOfRowsInTableView() * playCell::rowHeight;
        moreHint->setVisible(!m_controls.scrollMusic.isHidden() && rowsHeight <= moreHint->y() - 8);
    };
    follow(m_controls.scrollMusic, moreHint, updateMoreHint);
    connect(&m_controls, &Controls::tableReloaded, moreHint, updateMoreHint);

    m_importProgress = new ImportProgressView(middle);
    m_importProgress->setGeometry(60, middleHeight - 52, windowWidth - 120, 36);
    MediaImporter& importer = m_controller.mediaImporter();
    connect(&importer, &MediaImporter::started, m_importProgress, &ImportProgressView::importStarted);
    connect(&importer, &MediaImporter::progressed, m_importProgress, &ImportProgressView::importProgressed);
    connect(&importer, &MediaImporter::finished, m_importProgress, &ImportProgressView::importFinished);
    return middle;
}

QWidget* MainWindow::makePlayer()
{
    auto* boxPlayer = new QFrame(this);
    boxPlayer->setObjectName(QStringLiteral("boxPlayer"));
    bindVisible(m_controls.boxPlayer, boxPlayer);
    auto* viewPlayer = new QWidget(boxPlayer);
    viewPlayer->setObjectName(QStringLiteral("viewPlayer"));
    bindVisible(m_controls.viewPlayer, viewPlayer);
    auto* boxLayout = new QVBoxLayout(boxPlayer);
    boxLayout->setContentsMargins(sideMargin, 16, sideMargin, 0);
    boxLayout->addWidget(viewPlayer);
    boxLayout->addStretch();

    auto* layout = new QVBoxLayout(viewPlayer);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(makeNowPlaying(viewPlayer));
    layout->addSpacing(12);
    layout->addLayout(makePosition(viewPlayer));
    layout->addSpacing(2);
    layout->addLayout(makeTransport(viewPlayer));
    makeAuthBox(boxPlayer);
    return boxPlayer;
}

// What is playing, or the spinner while it starts, or a word on what to do: all in one place,
// so that the controls below never move.
QWidget* MainWindow::makeNowPlaying(QWidget* parent)
{
    auto* nowPlaying = new QWidget(parent);
    nowPlaying->setFixedSize(playerWidth, 48);
    ElidedLabel* songName = makeLabel("txtSongName", 17, true, 255, nowPlaying);
    songName->setAlignment(Qt::AlignCenter);
    songName->setGeometry(0, 0, playerWidth, 24);
    bindLabel(m_controls.txtSongName, songName);
    ElidedLabel* albumName = makeLabel("txtAlbumName", 12, false, 210, nowPlaying);
    albumName->setAlignment(Qt::AlignCenter);
    albumName->setGeometry(0, 27, playerWidth, 18);
    bindLabel(m_controls.txtAlbumName, albumName);

    // While neither a title nor the spinner shows, a word on what to do.
    auto* idle = new QWidget(nowPlaying);
    idle->setObjectName(QStringLiteral("idleHint"));
    idle->setGeometry(nowPlaying->rect());
    ElidedLabel* idleTitle = makeLabel("idleTitle", 16, true, 150, idle);
    idleTitle->setAlignment(Qt::AlignCenter);
    idleTitle->setText(QStringLiteral("Nothing playing"));
    idleTitle->setGeometry(0, 0, playerWidth, 24);
    ElidedLabel* idleDetail = makeLabel("idleDetail", 12, false, 150, idle);
    idleDetail->setAlignment(Qt::AlignCenter);
    idleDetail->setGeometry(0, 27, playerWidth, 18);
    const auto updateIdle = [this, idle, idleDetail] {
        const bool titleShown =
            !m_controls.txtSongName.isHidden() && !m_controls.txtSongName.text().isEmpty();
        idle->setVisible(!titleShown && m_controls.progressIndicator.isHidden());
        idleDetail->setText(m_controls.imgDropView.isHidden()
                                ? QStringLiteral("Click an item of the playlist to play it on your Apple TV")
                                : QStringLiteral("Add audio and video files to the playlist to play them"));
    };
    follow(m_controls.txtSongName, idle, updateIdle);
    connect(&m_controls.progressIndicator, &Control::changed, idle, updateIdle);
    connect(&m_controls.imgDropView, &Control::changed, idle, updateIdle);

    auto* spinner = new SpinningIndicator(nowPlaying);
    spinner->setObjectName(QStringLiteral("progressIndicator"));
    bindVisible(m_controls.progressIndicator, spinner);
    ElidedLabel* startingInfo = makeLabel("lblStartingInfo", 14, true, 240, nowPlaying);
    follow(m_controls.lblStartingInfo, startingInfo, [this, startingInfo] {
        const Control& control = m_controls.lblStartingInfo;
        startingInfo->setVisible(!control.isHidden());
        startingInfo->setText(control.text().isEmpty() ? QStringLiteral("Starting on your Apple TV…")
                                                       : control.text());
    });
    const int startingWidth = startingInfo->fontMetrics().horizontalAdvance(startingInfo->text()) + 4;
    const int startingLeft = (playerWidth - startingWidth + 30) / 2;
    spinner->setGeometry(startingLeft - 30, 12, 20, 20);
    startingInfo->setGeometry(startingLeft, 10, startingWidth, 24);

    return nowPlaying;
}

QLayout* MainWindow::makePosition(QWidget* parent)
{
    m_slider = new PlaySlider(parent);
    m_slider->setObjectName(QStringLiteral("playSlider"));
    m_slider->setFixedHeight(20);
    follow(m_controls.playSlider, m_slider, [this] {
        const Control& control = m_controls.playSlider;
        m_slider->setVisible(!control.isHidden());
        m_slider->setEnabled(control.isEnabled());
        m_slider->setRangeSeconds(control.minValue(), control.maxValue());
        // The knob stays under the user's hand while it is held.
        if (!m_slider->isSliderDown()) {
            m_slider->setValueSeconds(control.doubleValue());
        }
    });
    connect(m_slider, &PlaySlider::sliderReleased, this, &MainWindow::seekToSlider);

    ElidedLabel* currentPosition = makeLabel("txtCurrentPosition", 11, false, 200, parent);
    bindLabel(m_controls.txtCurrentPosition, currentPosition);
    ElidedLabel* totalTime = makeLabel("txtTotalTime", 11, false, 200, parent);
    totalTime->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    bindLabel(m_controls.txtTotalTime, totalTime);
    auto* times = new QHBoxLayout;
    times->setContentsMargins(0, 0, 0, 0);
    times->addWidget(currentPosition);
    times->addStretch();
    times->addWidget(totalTime);
    auto* position = new QVBoxLayout;
    position->setContentsMargins(0, 0, 0, 0);
    position->setSpacing(0);
    position->addWidget(m_slider);
    position->addLayout(times);

    return position;
}

QLayout* MainWindow::makeTransport(QWidget* parent)
{
    ImageButton* stop = makeButton("btnPlay", QStringLiteral("stopBtn"), QStringLiteral("Stop"), 40);
    bindButton(m_controls.btnPlay, stop);
    connect(stop, &ImageButton::clicked, &m_controller, &AppDelegate::play);
    ImageButton* previous =
        makeButton("btnPrevious", QStringLiteral("previousBtn"), QStringLiteral("Previous"), 44);
    bindButton(m_controls.btnPrevious, previous);
    connect(previous, &ImageButton::clicked, &m_controller, &AppDelegate::Previous);
    ImageButton* pause =
        makeButton("btnPause", QStringLiteral("pauseBtn"), QStringLiteral("Pause (Space)"), 58);
    follow(m_controls.btnPause, pause, [this, pause] {
        const Control& control = m_controls.btnPause;
        pause->setToolTip(control.identifier() == QLatin1String("pause") ? QStringLiteral("Pause (Space)")
                                                                         : QStringLiteral("Resume (Space)"));
        pause->setProperty("identifier", control.identifier());
    });
    bindButton(m_controls.btnPause, pause);
    connect(pause, &ImageButton::clicked, &m_controller, &AppDelegate::pause);
    ImageButton* next = makeButton("btnNext", QStringLiteral("nextBtn"), QStringLiteral("Next"), 44);
    bindButton(m_controls.btnNext, next);
    connect(next, &ImageButton::clicked, &m_controller, &AppDelegate::Next);

    // The stop button on the left and the time on the right, in boxes of one width, keep the
    // transport in the middle.
    constexpr int sideBoxWidth = 100;
    auto* stopBox = new QWidget(parent);
    stopBox->setFixedWidth(sideBoxWidth);
    auto* stopLayout = new QHBoxLayout(stopBox);
    stopLayout->setContentsMargins(0, 0, 0, 0);
    stopLayout->addWidget(stop);
    stopLayout->addStretch();
    ElidedLabel* duration = makeLabel("txtDuration", 12, false, 225, parent);
    duration->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    duration->setPlaceholderText(QStringLiteral("--:-- / --:--"));
    duration->setFixedWidth(sideBoxWidth);
    bindLabel(m_controls.txtDuration, duration);

    auto* transport = new QHBoxLayout;
    transport->setContentsMargins(0, 0, 0, 0);
    transport->setSpacing(10);
    transport->addWidget(stopBox);
    transport->addStretch();
    transport->addWidget(previous);
    transport->addWidget(pause);
    transport->addWidget(next);
    transport->addStretch();
    transport->addWidget(duration);

    return transport;
}

// The password box of the player area; the entry panel asks for passwords instead.
void MainWindow::makeAuthBox(QWidget* parent)
{
    auto* authBox = new QFrame(parent);
    authBox->setObjectName(QStringLiteral("authBox"));
    auto* authView = new QWidget(authBox);
    authView->setObjectName(QStringLiteral("authView"));
    auto* password = new QLineEdit(authView);
    password->setObjectName(QStringLiteral("txtPassword"));
    password->setEchoMode(QLineEdit::Password);
    password->setPlaceholderText(QStringLiteral("Password"));
    auto* authLayout = new QVBoxLayout(authView);
    authLayout->addWidget(password);
    authBox->setGeometry(sideMargin, 16, playerWidth, 48);
    authView->setGeometry(0, 0, playerWidth, 48);
    bindVisible(m_controls.authBox, authBox);
    bindVisible(m_controls.authView, authView);
    follow(m_controls.txtPassword, password, [this, password] {
        password->setVisible(!m_controls.txtPassword.isHidden());
        password->setText(m_controls.txtPassword.text());
    });
}

void MainWindow::bindWindow()
{
    // The box that covers the window until the start-up is through.
    auto* startBox = new QFrame(this);
    startBox->setObjectName(QStringLiteral("startBox"));
    startBox->setGeometry(rect());
    auto* startView = new QLabel(QStringLiteral("Starting Orvanta…"), startBox);
    startView->setObjectName(QStringLiteral("startView"));
    startView->setAlignment(Qt::AlignCenter);
    setTextStyle(startView, 17, true);
    startView->setGeometry(startBox->rect());
    bindVisible(m_controls.startBox, startBox);
    bindVisible(m_controls.startView, startView);

    m_popover = new Popover(this);
    bindVisible(m_controls.imgThumbnail, m_popover->imgThumbnail);
    follow(m_controls.popover, m_popover, [this] {
        if (m_controls.popover.isHidden()) {
            m_popover->hide();
        } else if (!m_popover->isVisible()) {
            m_popover->showBelow(m_popoverButton);
        }
    });
    connect(m_popover, &Popover::closed, this, [this] { m_controls.popover.setHidden(true); });

    m_deviceMenu = new QMenu(this);
    m_deviceMenu->setObjectName(QStringLiteral("airplayDevices"));
    connect(&m_controller, &AppDelegate::popUpDeviceMenu, this, &MainWindow::popUpDeviceMenu);

    connect(&m_controls, &Controls::windowAppearanceApplied, this, &MainWindow::applyAppearance);
    connect(&m_controls, &Controls::windowShownCentred, this, &MainWindow::showCentred);
    if (m_controls.isAppearanceApplied()) {
        applyAppearance();
    }
    if (m_controls.isWindowShown()) {
        showCentred();
    }
}

void MainWindow::addShortcuts()
{
    const auto shortcut = [this](const QKeySequence& keys, auto action) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, action);
    };
    shortcut(QKeySequence(Qt::Key_Space), [this] {
        if (!m_controls.btnPause.isHidden() && m_controls.btnPause.isEnabled()) {
            m_controller.pause();
        }
    });
    shortcut(QKeySequence(Qt::Key_Left), [this] { seekBy(-seekStepSeconds); });
    shortcut(QKeySequence(Qt::Key_Right), [this] { seekBy(seekStepSeconds); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_O), [this] { m_controller.onOpenMediaFile(); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { m_controller.QuitApp(); });
}

void MainWindow::applyAppearance()
{
    setWindowFlag(Qt::FramelessWindowHint, true);
    setAttribute(Qt::WA_TranslucentBackground, true);
}

void MainWindow::showCentred()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    show();
    raise();
    activateWindow();
}

void MainWindow::popUpDeviceMenu(const DeviceMenu& menu)
{
    m_deviceMenu->clear();
    m_deviceMenu->setTitle(menu.title);
    for (const DeviceMenuItem& item : menu.items) {
        if (item.separator) {
            m_deviceMenu->addSeparator();
            continue;
        }
        QAction* action = m_deviceMenu->addAction(item.title);
        action->setEnabled(item.enabled);
        action->setCheckable(item.on);
        action->setChecked(item.on);
        if (item.action) {
            // Run once the menu has closed: the action may ask the user something.
            connect(action, &QAction::triggered, this, [this, item] {
                QMetaObject::invokeMethod(
                    this, [item] { item.action(item); }, Qt::QueuedConnection);
            });
        }
    }
    m_deviceMenu->popup(m_deviceButton->mapToGlobal(QPoint(0, m_deviceButton->height() + 4)));
}

void MainWindow::seekBy(double seconds)
{
    const Control& slider = m_controls.playSlider;
    if (!slider.isEnabled() || m_controls.txtSongName.isHidden()) {
        return;
    }
    m_controls.playSlider.setDoubleValue(
        qBound(slider.minValue(), slider.doubleValue() + seconds, slider.maxValue()));
    m_controller.seekPlayer();
}

void MainWindow::seekToSlider()
{
    m_controls.playSlider.setDoubleValue(m_slider->valueSeconds());
    m_controller.seekPlayer();
}

void MainWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (testAttribute(Qt::WA_TranslucentBackground)) {
        QPainterPath shape;
        shape.addRoundedRect(rect(), cornerRadius, cornerRadius);
        painter.fillPath(shape, windowColour);
    } else {
        painter.fillRect(rect(), windowColour);
    }
    if (!m_framePainted) {
        m_framePainted = true;
        systemLog(QStringLiteral("The window is shown"));
    }
}

// The window moves with a drag anywhere on its background: by the window system where it
// can, else by hand.
void MainWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    if (windowHandle() && windowHandle()->startSystemMove()) {
        return;
    }
    m_movingByHand = true;
    m_grabOffset = event->globalPosition().toPoint() - pos();
}

void MainWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_movingByHand) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    event->accept();
    move(event->globalPosition().toPoint() - m_grabOffset);
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_movingByHand || event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    m_movingByHand = false;
}

// Answers a drag over the window by the drop rules; true when it is taken.
bool MainWindow::acceptDrag(QDragMoveEvent* event)
{
    const Qt::DropAction action =
        DropImageView::draggingEntered(*event->mimeData(), event->possibleActions());
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return false;
    }
    event->setDropAction(action);
    event->accept();
    return true;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (acceptDrag(event)) {
        m_dropHighlight->show();
        m_dropHighlight->raise();
    }
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event)
{
    acceptDrag(event);
}

void MainWindow::dragLeaveEvent(QDragLeaveEvent* event)
{
    m_dropHighlight->hide();
    event->accept();
}

// The files are imported; the drop is still answered as not performed, so that the source
// neither moves nor deletes them.
void MainWindow::dropEvent(QDropEvent* event)
{
    m_dropHighlight->hide();
    m_dropRules.performDragOperation(*event->mimeData());
    event->setDropAction(Qt::IgnoreAction);
    event->ignore();
}
