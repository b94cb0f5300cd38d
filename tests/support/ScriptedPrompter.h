#pragma once

#include "app/Prompter.h"
#include "support/QtPrinters.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>

// The prompter of tests: records every alert and error, and answers the entry panel, the
// open dialog and the address question from scripts. An entry panel showing with no script
// left is cancelled; so is one whose script did not end the panel's modal run.
class ScriptedPrompter : public Prompter
{
public:
    using PanelAnswer = std::function<void(URLPanel&)>;

    // Types the text into the panel and presses the submit button.
    static PanelAnswer typeAndSubmit(const QString& text);

    void showAlert(const QString& informativeText) override;
    void showError(const QString& description, const QString& failureReason,
                   const QString& underlyingError) override;
    void runEntryPanel(URLPanel& panel) override;
    QString runOpenDialog(const OpenDialogSettings& settings) override;
    QString askDeviceAddress() override;

    QStringList alerts;
    QList<QStringList> errors;
    int entryPanelShowings = 0;
    QList<int> entryPanelReturnCodes;
    QList<OpenDialogSettings> openDialogs;

    std::deque<PanelAnswer> entryPanelAnswers;
    std::deque<QString> openDialogAnswers;
    std::deque<QString> deviceAddressAnswers;

    // Called while an alert is up, for tests that look at what happens meanwhile.
    std::function<void(const QString&)> duringAlert;
};
