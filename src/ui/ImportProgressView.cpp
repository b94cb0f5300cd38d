#include "ui/ImportProgressView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>

namespace {

constexpr int showDelayMilliseconds = 250;

} // namespace

ImportProgressView::ImportProgressView(QWidget* parent)
    : QFrame(parent), m_label(new QLabel(this)), m_bar(new QProgressBar(this))
{
    setObjectName(QStringLiteral("importProgress"));
    setStyleSheet(
        QStringLiteral("#importProgress { background: rgba(0, 52, 80, 215); border-radius: 16px; }"
                       "#importProgress QLabel { color: white; font-size: 12px; }"
                       "#importProgress QProgressBar { background: rgba(255, 255, 255, 50); border: none; "
                       "border-radius: 3px; }"
                       "#importProgress QProgressBar::chunk { background: white; border-radius: 3px; }"));
    m_bar->setTextVisible(false);
    m_bar->setFixedSize(110, 6);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 8, 16, 8);
    layout->setSpacing(12);
    layout->addWidget(m_label, 1);
    layout->addWidget(m_bar);
    m_showDelay.setSingleShot(true);
    m_showDelay.setInterval(showDelayMilliseconds);
    connect(&m_showDelay, &QTimer::timeout, this, [this] {
        show();
        raise();
    });
    hide();
}

void ImportProgressView::importStarted(int total)
{
    importProgressed(0, total);
    m_showDelay.start();
}

void ImportProgressView::importProgressed(int done, int total)
{
    m_label->setText(QStringLiteral("Adding files… %1 of %2").arg(done).arg(total));
    m_bar->setRange(0, qMax(1, total));
    m_bar->setValue(done);
}

void ImportProgressView::importFinished()
{
    m_showDelay.stop();
    hide();
}
