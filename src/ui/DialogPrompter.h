#pragma once

#include "app/Prompter.h"

#include <QPointer>
#include <QWidget>

// The real dialogs, on the main window: alerts as modal message boxes with the message text
// "Orvanta" and one default button, the entry panel as a window-modal dialog, the open dialog
// and the question for an Apple TV's address.
class DialogPrompter : public Prompter
{
public:
    // The window the dialogs belong to; until it is set they stand alone.
    void setWindow(QWidget* window);

    void showAlert(const QString& informativeText) override;
    void showError(const QString& description, const QString& failureReason,
                   const QString& underlyingError) override;
    void runEntryPanel(URLPanel& panel) override;
    QString runOpenDialog(const OpenDialogSettings& settings) override;
    QString askDeviceAddress() override;

private:
    QPointer<QWidget> m_window;
};
