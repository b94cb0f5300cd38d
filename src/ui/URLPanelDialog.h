#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class URLPanel;

// The entry panel shown as a window-modal dialog on the main window. The panel judges what
// the user does: Return submits only a text of more than 10 characters, the Submit button
// any text that is not empty, Cancel and closing cancel. The text stays in the panel between
// showings.
class URLPanelDialog : public QDialog
{
    Q_OBJECT

public:
    URLPanelDialog(URLPanel& panel, QWidget* parent);

    QLineEdit* urlField() const { return m_field; }
    QPushButton* submitButton() const { return m_submit; }
    QPushButton* cancelButton() const { return m_cancel; }

public slots:
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    URLPanel& m_panel;
    QLineEdit* m_field;
    QLabel* m_hint;
    QPushButton* m_submit;
    QPushButton* m_cancel;
};
