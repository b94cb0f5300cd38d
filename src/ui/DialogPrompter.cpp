#include "ui/DialogPrompter.h"

#include "ui/Artwork.h"
#include "ui/URLPanelDialog.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPainter>
#include <QSvgRenderer>
#include <QUrl>

namespace {

QPixmap alertPicture()
{
    constexpr int side = 64;
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    QSvgRenderer(Artwork::fileName(QStringLiteral("iconBig"))).render(&painter);
    return pixmap;
}

} // namespace

void DialogPrompter::setWindow(QWidget* window)
{
    m_window = window;
}

void DialogPrompter::showAlert(const QString& informativeText)
{
    QMessageBox box(m_window);
    box.setObjectName(QStringLiteral("alert"));
    box.setWindowTitle(QStringLiteral("Orvanta"));
    box.setWindowModality(Qt::ApplicationModal);
    box.setIconPixmap(alertPicture());
    box.setText(QStringLiteral("Orvanta"));
    box.setInformativeText(informativeText);
    box.setStandardButtons(QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
}

void DialogPrompter::showError(const QString& description, const QString& failureReason,
                               const QString& underlyingError)
{
    QMessageBox box(m_window);
    box.setObjectName(QStringLiteral("errorAlert"));
    box.setWindowTitle(QStringLiteral("Orvanta"));
    box.setWindowModality(Qt::ApplicationModal);
    box.setIcon(QMessageBox::Critical);
    box.setText(description);
    box.setInformativeText(failureReason);
    box.setDetailedText(underlyingError);
    box.setStandardButtons(QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
}

void DialogPrompter::runEntryPanel(URLPanel& panel)
{
    URLPanelDialog dialog(panel, m_window);
    dialog.exec();
}

// One existing file at a time, shown with the six media types. A folder opens in the dialog
// rather than being chosen: chosen, it would add nothing.
QString DialogPrompter::runOpenDialog(const OpenDialogSettings& settings)
{
    QFileDialog dialog(m_window, QStringLiteral("Add to the playlist"));
    dialog.setObjectName(QStringLiteral("openDialog"));
    dialog.setFileMode(settings.allowsMultipleSelection ? QFileDialog::ExistingFiles
                                                        : QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (settings.floatsAboveOtherWindows) {
        dialog.setWindowModality(Qt::ApplicationModal);
    }
    QStringList patterns;
    for (const QString& type : settings.allowedFileTypes) {
        patterns << QStringLiteral("*.") + type;
    }
    if (!patterns.isEmpty()) {
        dialog.setNameFilter(
            QStringLiteral("Audio and video files (%1)").arg(patterns.join(QLatin1Char(' '))));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedUrls().isEmpty()) {
        return {};
    }
    return dialog.selectedUrls().first().toString(QUrl::FullyEncoded);
}

QString DialogPrompter::askDeviceAddress()
{
    QInputDialog dialog(m_window);
    dialog.setObjectName(QStringLiteral("deviceAddressDialog"));
    dialog.setWindowTitle(QStringLiteral("Orvanta"));
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setLabelText(QStringLiteral("The Apple TV's address and AirPlay port (host:port):"));
    dialog.setTextValue(QString());
    dialog.setOkButtonText(QStringLiteral("Connect"));
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.textValue();
}
