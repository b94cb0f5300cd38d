// The dialogs: the entry panel's rules on the real dialog, and the alerts.
#include "airplay/URLPanel.h"
#include "support/EventLoop.h"
#include "ui/DialogPrompter.h"
#include "ui/URLPanelDialog.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

struct RecordingDelegate : URLPanelDelegate
{
    void openUrl(const QString& text) override { opened << text; }
    void setIsPassOpened(bool opened) override { passOpened.append(opened); }

    QStringList opened;
    QList<bool> passOpened;
};

class EntryPanelTest : public testing::Test
{
protected:
    EntryPanelTest() { panel.rollbackDelegate = &delegate; }

    RecordingDelegate delegate;
    URLPanel panel;
    QWidget window;
};

TEST_F(EntryPanelTest, ReturnWithAFourDigitPinDoesNotSubmitButTheButtonDoes)
{
    URLPanelDialog dialog(panel, &window);
    EXPECT_EQ(dialog.windowModality(), Qt::WindowModal);
    EXPECT_EQ(dialog.parentWidget(), &window);
    dialog.show();
    EXPECT_FALSE(dialog.submitButton()->isEnabled());
    QTest::keyClicks(dialog.urlField(), QStringLiteral("1234"));
    EXPECT_EQ(panel.urlField, "1234");
    QTest::keyClick(dialog.urlField(), Qt::Key_Return);
    QTest::keyClick(dialog.urlField(), Qt::Key_Enter);
    EXPECT_TRUE(delegate.opened.isEmpty());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.findChild<QLabel*>(QStringLiteral("urlPanelHint"))->isVisible());

    EXPECT_TRUE(dialog.submitButton()->isEnabled());
    QTest::mouseClick(dialog.submitButton(), Qt::LeftButton);
    EXPECT_EQ(delegate.opened, QStringList{QStringLiteral("1234")});
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 1);
}

TEST_F(EntryPanelTest, ReturnSubmitsATextOfMoreThanTenCharacters)
{
    URLPanelDialog dialog(panel, &window);
    dialog.show();
    QTest::keyClicks(dialog.urlField(), QStringLiteral("0123456789"));
    QTest::keyClick(dialog.urlField(), Qt::Key_Return);
    EXPECT_TRUE(delegate.opened.isEmpty()) << "ten characters are not enough";
    QTest::keyClicks(dialog.urlField(), QStringLiteral("!"));
    QTest::keyClick(dialog.urlField(), Qt::Key_Return);
    EXPECT_EQ(delegate.opened, QStringList{QStringLiteral("0123456789!")});
    EXPECT_FALSE(dialog.isVisible());
}

// Cancel, Escape and closing the dialog all cancel; the text stays for the next showing.
TEST_F(EntryPanelTest, CancelKeepsTheTextForTheNextShowing)
{
    using Dismiss = std::function<void(URLPanelDialog&)>;
    const QList<Dismiss> ways = {
        [](URLPanelDialog& dialog) { QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton); },
        [](URLPanelDialog& dialog) { QTest::keyClick(dialog.urlField(), Qt::Key_Escape); },
        [](URLPanelDialog& dialog) { dialog.close(); },
    };
    for (const Dismiss& dismiss : ways) {
        URLPanelDialog dialog(panel, &window);
        dialog.show();
        dialog.urlField()->setText(QStringLiteral("secret"));
        dismiss(dialog);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), 0);
    }
    EXPECT_TRUE(delegate.opened.isEmpty());
    EXPECT_EQ(delegate.passOpened, (QList<bool>{false, false, false}));

    URLPanelDialog again(panel, &window);
    EXPECT_EQ(again.urlField()->text(), "secret");
    EXPECT_TRUE(again.submitButton()->isEnabled());
}

// Runs the check on the modal dialog that the call brings up, then lets the call return.
void whileModal(const std::function<void(QWidget*)>& check)
{
    QTimer::singleShot(0, [check] {
        ASSERT_TRUE(waitUntil([] { return QApplication::activeModalWidget() != nullptr; }));
        check(QApplication::activeModalWidget());
    });
}

TEST_F(EntryPanelTest, PrompterRunsThePanelModallyOnTheWindow)
{
    DialogPrompter prompter;
    prompter.setWindow(&window);
    window.show();
    bool checked = false;
    whileModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<URLPanelDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->parentWidget(), &window);
        QTest::keyClicks(dialog->urlField(), QStringLiteral("4711"));
        QTest::keyClick(dialog->urlField(), Qt::Key_Return);
        EXPECT_TRUE(dialog->isVisible());
        dialog->submitButton()->click();
        checked = true;
    });
    prompter.runEntryPanel(panel);
    EXPECT_TRUE(checked);
    EXPECT_EQ(delegate.opened, QStringList{QStringLiteral("4711")});
}

TEST(Alerts, AreModalMessageBoxesSayingOrvantaWithOneDefaultButton)
{
    QWidget window;
    window.show();
    DialogPrompter prompter;
    prompter.setWindow(&window);
    bool checked = false;
    whileModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), "Orvanta");
        EXPECT_EQ(box->informativeText(), "No any AppleTV found");
        EXPECT_EQ(box->buttons().size(), 1);
        EXPECT_EQ(box->defaultButton(), box->buttons().first());
        EXPECT_TRUE(box->isModal());
        QTest::keyClick(box, Qt::Key_Return);
        checked = true;
    });
    prompter.showAlert(QStringLiteral("No any AppleTV found"));
    EXPECT_TRUE(checked);
}

} // namespace
