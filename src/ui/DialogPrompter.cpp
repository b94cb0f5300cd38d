#include "ui/DialogPrompter.h"

#include "airplay/URLPanel.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

DialogPrompter::DialogPrompter(QWidget* window)
    : m_window(window)
{
}

void DialogPrompter::showAlert(const QString& informativeText)
{
    QMessageBox box(m_window);
    box.setWindowTitle(QStringLiteral("Orvanta"));
    box.setText(QStringLiteral("Orvanta"));
    box.setInformativeText(informativeText);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

void DialogPrompter::showError(const QString& description, const QString& failureReason,
                               const QString& underlyingError)
{
    QMessageBox box(m_window);
    box.setIcon(QMessageBox::Critical);
    box.setWindowTitle(QStringLiteral("Orvanta"));
    box.setText(description);
    box.setInformativeText(failureReason);
    box.setDetailedText(underlyingError);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

void DialogPrompter::runEntryPanel(URLPanel& panel)
{
    QDialog dialog(m_window);
    dialog.setWindowTitle(QStringLiteral("Orvanta"));
    dialog.setWindowModality(Qt::WindowModal);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("Enter the PIN shown on your Apple TV, or its password:")));
    auto* field = new QLineEdit(panel.urlField);
    field->setObjectName(QStringLiteral("urlField"));
    layout->addWidget(field);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    layout->addWidget(buttons);

    QObject::connect(field, &QLineEdit::textChanged, &dialog, [&panel](const QString& text) { panel.urlField = text; });
    QObject::connect(field, &QLineEdit::returnPressed, &dialog, [&panel] { panel.controlTextDidEndEditing(true); });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&panel] { panel.onOpenUrl(); });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, [&panel] { panel.onCancel(); });
    QObject::connect(&panel, &URLPanel::modalRunEnded, &dialog, &QDialog::done);
    // Return is the panel's to judge, not the dialog's default button's.
    buttons->button(QDialogButtonBox::Ok)->setAutoDefault(false);
    buttons->button(QDialogButtonBox::Ok)->setDefault(false);
    dialog.exec();
}

QString DialogPrompter::runOpenDialog(const OpenDialogSettings& settings)
{
    QFileDialog dialog(m_window, QStringLiteral("Add to the playlist"));
    dialog.setFileMode(settings.allowsMultipleSelection ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    QStringList patterns;
    for (const QString& type : settings.allowedFileTypes) {
        patterns << QStringLiteral("*.") + type;
    }
    if (!patterns.isEmpty()) {
        dialog.setNameFilter(QStringLiteral("Media files (%1)").arg(patterns.join(QLatin1Char(' '))));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedUrls().isEmpty()) {
        return {};
    }
    return dialog.selectedUrls().first().toString(QUrl::FullyEncoded);
}

QString DialogPrompter::askDeviceAddress()
{
    bool ok = false;
    const QString address = QInputDialog::getText(m_window, QStringLiteral("Orvanta"),
                                                  QStringLiteral("Apple TV address (host:port):"),
                                                  QLineEdit::Normal, QString(), &ok);
    return ok ? address : QString();
}
