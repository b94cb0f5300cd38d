#pragma once

#include <QObject>
#include <QString>

// What the entry panel reports to: the submitted text, and the cancel.
class URLPanelDelegate
{
public:
    virtual ~URLPanelDelegate() = default;
    virtual void openUrl(const QString& text) = 0;
    virtual void setIsPassOpened(bool opened) = 0;
};

// The small entry panel where the user types a password or the PIN the Apple TV shows. This
// is its logic; the window shows it as a window-modal dialog. The text is kept between
// showings.
class URLPanel : public QObject
{
    Q_OBJECT

public:
    explicit URLPanel(QObject* parent = nullptr);

    QString urlField;
    URLPanelDelegate* rollbackDelegate = nullptr;

    // Submit: a non-empty text goes to openUrl; the modal run ends with code 1.
    void onOpenUrl();

    // Cancel: the PIN panel may open again on the next refusal; the run ends with code 0.
    void onCancel();

    // End of editing: submits when it ended with the Return key and the text is longer than
    // 10 characters; otherwise the panel stays open.
    void controlTextDidEndEditing(bool endedWithReturn);

signals:
    void modalRunEnded(int returnCode);
};
