#include "support/ScriptedPrompter.h"

#include "airplay/URLPanel.h"

#include <QObject>

ScriptedPrompter::PanelAnswer ScriptedPrompter::typeAndSubmit(const QString& text)
{
    return [text](URLPanel& panel) {
        panel.urlField = text;
        panel.onOpenUrl();
    };
}

void ScriptedPrompter::showAlert(const QString& informativeText)
{
    alerts << informativeText;
    if (duringAlert) {
        duringAlert(informativeText);
    }
}

void ScriptedPrompter::showError(const QString& description, const QString& failureReason,
                                 const QString& underlyingError)
{
    errors << QStringList{description, failureReason, underlyingError};
}

void ScriptedPrompter::runEntryPanel(URLPanel& panel)
{
    ++entryPanelShowings;
    std::optional<int> returnCode;
    const auto connection =
        QObject::connect(&panel, &URLPanel::modalRunEnded, [&returnCode](int code) { returnCode = code; });
    if (!entryPanelAnswers.empty()) {
        const PanelAnswer answer = std::move(entryPanelAnswers.front());
        entryPanelAnswers.pop_front();
        answer(panel);
    }
    if (!returnCode) {
        panel.onCancel();
    }
    QObject::disconnect(connection);
    entryPanelReturnCodes << returnCode.value_or(0);
}

QString ScriptedPrompter::runOpenDialog(const OpenDialogSettings& settings)
{
    openDialogs << settings;
    if (openDialogAnswers.empty()) {
        return {};
    }
    QString answer = openDialogAnswers.front();
    openDialogAnswers.pop_front();
    return answer;
}

QString ScriptedPrompter::askDeviceAddress()
{
    if (deviceAddressAnswers.empty()) {
        return {};
    }
    QString answer = deviceAddressAnswers.front();
    deviceAddressAnswers.pop_front();
    return answer;
}
