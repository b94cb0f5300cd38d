#pragma once

#include <QString>
#include <QStringList>

class URLPanel;

// The settings of the open dialog for media files.
struct OpenDialogSettings
{
    bool canChooseFiles = true;
    bool canChooseDirectories = true;
    bool floatsAboveOtherWindows = true;
    bool allowsMultipleSelection = false;
    QStringList allowedFileTypes;
};

// Everything the controller asks of the user goes through here: alerts, the entry panel,
// the open dialog. The window shows real dialogs; tests script the answers. Each call
// returns once the user has answered; the controller keeps the control connection held
// meanwhile.
class Prompter
{
public:
    virtual ~Prompter() = default;

    // A modal alert: message text "Orvanta", this informative text, one default button.
    virtual void showAlert(const QString& informativeText) = 0;

    // The standard error alert, for the store that cannot be opened: a description, the
    // reason of the failure, and the underlying error where there is one.
    virtual void showError(const QString& description, const QString& failureReason,
                           const QString& underlyingError) = 0;

    // Shows the entry panel modally on the main window; returns when the panel has ended its
    // modal run (submit or cancel).
    virtual void runEntryPanel(URLPanel& panel) = 0;

    // The open dialog; the chosen file as an absolute URL text, or a null string on cancel.
    virtual QString runOpenDialog(const OpenDialogSettings& settings) = 0;

    // Asks for an Apple TV's address as "host:port"; a null string on cancel.
    virtual QString askDeviceAddress() = 0;
};
