#include "ui/URLPanelDialog.h"

#include "airplay/URLPanel.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

URLPanelDialog::URLPanelDialog(URLPanel& panel, QWidget* parent)
    : QDialog(parent), m_panel(panel), m_field(new QLineEdit(panel.urlField, this)), m_hint(new QLabel(this)),
      m_submit(new QPushButton(QStringLiteral("Submit"), this)),
      m_cancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("urlPanel"));
    setWindowTitle(QStringLiteral("Orvanta"));
    setWindowModality(Qt::WindowModal);
    setMinimumWidth(360);

    auto* heading =
        new QLabel(QStringLiteral("Enter the PIN shown on your Apple TV, or its password."), this);
    heading->setWordWrap(true);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    heading->setFont(headingFont);

    m_field->setObjectName(QStringLiteral("urlField"));
    m_field->setPlaceholderText(QStringLiteral("PIN or password"));
    m_field->selectAll();
    m_hint->setObjectName(QStringLiteral("urlPanelHint"));
    m_hint->setText(QStringLiteral("Press Submit to send it."));
    QPalette hintPalette = m_hint->palette();
    hintPalette.setColor(QPalette::WindowText, hintPalette.color(QPalette::PlaceholderText));
    m_hint->setPalette(hintPalette);
    m_hint->setVisible(false);

    // Return is the panel's to judge: neither button answers it by default.
    for (QPushButton* button : {m_submit, m_cancel}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    m_submit->setObjectName(QStringLiteral("submitButton"));
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    m_submit->setEnabled(!m_field->text().isEmpty());

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_hint);
    buttons->addStretch();
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_submit);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 16);
    layout->setSpacing(12);
    layout->addWidget(heading);
    layout->addWidget(m_field);
    layout->addLayout(buttons);

    connect(m_field, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_panel.urlField = text;
        m_submit->setEnabled(!text.isEmpty());
        m_hint->setVisible(false);
    });
    connect(m_submit, &QPushButton::clicked, this, [this] { m_panel.onOpenUrl(); });
    connect(m_cancel, &QPushButton::clicked, this, &URLPanelDialog::reject);
    connect(&m_panel, &URLPanel::modalRunEnded, this, &QDialog::done);
}

void URLPanelDialog::reject()
{
    m_panel.onCancel();
}

void URLPanelDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
        QDialog::keyPressEvent(event);
        return;
    }
    event->accept();
    bool ended = false;
    const auto connection = connect(&m_panel, &URLPanel::modalRunEnded, this, [&ended] { ended = true; });
    m_panel.controlTextDidEndEditing(true);
    disconnect(connection);
    if (!ended && !m_field->text().isEmpty()) {
        m_hint->setVisible(true);
    }
}
