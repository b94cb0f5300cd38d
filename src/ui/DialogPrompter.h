#pragma once

#include "app/Prompter.h"

class QWidget;

// The real dialogs: modal message boxes with the message text "Orvanta", the entry panel as
// a window-modal dialog on the main window, the open dialog, the address question.
class DialogPrompter : public Prompter
{
public:
    explicit DialogPrompter(QWidget* window);

    void showAlert(const QString& informativeText) override;
    void showError(const QString& description, const QString& failureReason,
                   const QString& underlyingError) override;
    void runEntryPanel(URLPanel& panel) override;
    QString runOpenDialog(const OpenDialogSettings& settings) override;
    QString askDeviceAddress() override;

private:
    QWidget* m_window;
};
