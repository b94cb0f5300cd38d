// The playlist view: what the controller configures for a row, the reused cells, the
// playing row's title and mark, clicks on rows and the delete buttons.
#include "WindowFixture.h"

#include "support/EventLoop.h"
#include "ui/ElidedLabel.h"
#include "ui/ImageButton.h"
#include "ui/ImageView.h"
#include "ui/PlayListTable.h"
#include "ui/playCell.h"

#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <ostream>

namespace {

Playlist item(const QString& name, const QString& time, const QString& path = QStringLiteral("/music/a.mp3"))
{
    Playlist record;
    record.songName = name;
    record.songAlbum = QStringLiteral("Album of ") + name;
    record.songArtist = QStringLiteral("Unknown");
    record.songPath = path;
    record.songTime = time;
    return record;
}

QList<Playlist> numberedItems(int count)
{
    QList<Playlist> items;
    for (int i = 0; i < count; ++i) {
        items << item(QStringLiteral("Track %1").arg(i), QString::number(60 + i),
                      QStringLiteral("/home/sam/Music/Track %1.mp3").arg(i));
    }
    return items;
}

class PlaylistViewTest : public testing::Test, public WindowFixture
{
protected:
    void showItems(const QList<Playlist>& items)
    {
        launch();
        controller.setArrPlayList(items);
        controls.scrollMusic.setHidden(false);
        controls.playListTable.setHidden(false);
        controls.imgDropView.setHidden(true);
        controls.reloadTable();
        QCoreApplication::processEvents();
    }

    PlayListTable* table() const { return element<PlayListTable>("scrollMusic"); }

    int cellsMade() const { return static_cast<int>(table()->viewport()->findChildren<playCell*>().size()); }
};

struct RowCase
{
    const char* songTime;
    const char* durationText;
};

void PrintTo(const RowCase& row, std::ostream* out)
{
    *out << '"' << row.songTime << '"';
}

class DurationTextTest : public testing::TestWithParam<RowCase>
{};

// The duration reads the leading digits of the stored text.
TEST_P(DurationTextTest, RowShowsTheDurationAsATimeText)
{
    HeadlessOrvanta orvanta;
    orvanta.controller.setArrPlayList({item(QStringLiteral("A"), QString::fromLatin1(GetParam().songTime))});
    EXPECT_EQ(orvanta.controller.tableViewViewForRow(0).durationText, GetParam().durationText);
}

INSTANTIATE_TEST_SUITE_P(PlaylistView, DurationTextTest,
                         testing::Values(RowCase{"3600", "01:00:00"}, RowCase{"3599", "59:59"},
                                         RowCase{"59", "00:59"}, RowCase{"3661", "01:01:01"},
                                         RowCase{"no number", "00:00"}, RowCase{"", "00:00"},
                                         RowCase{" 245 s", "04:05"}, RowCase{"245.9", "04:05"},
                                         RowCase{"99999999999", "596523:14:07"}));

TEST(PlaylistViewConfiguration, RowsAreTheItemsWithTitleAlbumSourceTagAndMark)
{
    HeadlessOrvanta orvanta;
    AppDelegate& controller = orvanta.controller;
    EXPECT_EQ(controller.numberOfRowsInTableView(), 0);
    controller.setArrPlayList({item(QStringLiteral("So What"), QStringLiteral("562")),
                               item(QStringLiteral("Blue in Green"), QStringLiteral("337"),
                                    QStringLiteral("/home/sam/My Music/Blue in Green%20(live).mp3"))});
    EXPECT_EQ(controller.numberOfRowsInTableView(), 2);

    const PlayCellConfiguration idle = controller.tableViewViewForRow(1);
    EXPECT_EQ(idle.songName, "Blue in Green");
    EXPECT_EQ(idle.albumName, "Album of Blue in Green");
    EXPECT_EQ(idle.sourceText, "source : /home/sam/My Music/Blue in Green%20(live).mp3");
    EXPECT_EQ(idle.deleteTag, 1);
    EXPECT_FALSE(idle.isCurrentPlaying);
    EXPECT_EQ(idle.songNameFrame, QRect(5, 63, 252, 14));

    controller.setCurrentlyPlayingSongID(1);
    const PlayCellConfiguration playing = controller.tableViewViewForRow(1);
    EXPECT_TRUE(playing.isCurrentPlaying);
    EXPECT_EQ(playing.songNameFrame, QRect(20, 63, 252, 14));
    EXPECT_FALSE(controller.tableViewViewForRow(0).isCurrentPlaying);
}

// The title of the playing row stands at x 20 however often it is shown again; a cell that
// showed the playing row and is reused for another one puts it back at x 5.
TEST_F(PlaylistViewTest, PlayingRowTitleMovesRightAndAReusedCellMovesItBack)
{
    showItems(numberedItems(40));
    controller.setCurrentlyPlayingSongID(0);
    for (int i = 0; i < 3; ++i) {
        controls.reloadTable();
    }
    playCell* playingCell = table()->cellForRow(0);
    ASSERT_NE(playingCell, nullptr);
    EXPECT_EQ(playingCell->txtSongName->x(), 20);
    EXPECT_EQ(playingCell->txtSongName->text(), "Track 0");
    EXPECT_TRUE(playingCell->imgCurrentPlaying->isVisible());
    // In the cell, the title stands 63 points above the bottom, as the frame says.
    EXPECT_EQ(playingCell->height() - playingCell->txtSongName->geometry().bottom() - 1, 63);
    playCell* otherCell = table()->cellForRow(1);
    ASSERT_NE(otherCell, nullptr);
    EXPECT_EQ(otherCell->txtSongName->x(), 5);
    EXPECT_FALSE(otherCell->imgCurrentPlaying->isVisible());

    table()->verticalScrollBar()->setValue(playCell::rowHeight * 12);
    ASSERT_EQ(table()->cellForRow(0), nullptr);
    qint64 reusedFor = -1;
    for (qint64 row = 0; row < table()->numberOfRows(); ++row) {
        if (table()->cellForRow(row) == playingCell) {
            reusedFor = row;
        }
    }
    ASSERT_GE(reusedFor, 12) << "the cell of row 0 was not reused";
    EXPECT_EQ(playingCell->txtSongName->x(), 5);
    EXPECT_EQ(playingCell->txtSongName->text(), QStringLiteral("Track %1").arg(reusedFor));
    EXPECT_FALSE(playingCell->imgCurrentPlaying->isVisible());
}

// Only the rows in view have cells: scrolling through ten thousand rows makes no more cells
// than fit in the view, and each shows its own row.
TEST_F(PlaylistViewTest, TenThousandRowsScrollOnAHandfulOfCells)
{
    showItems(numberedItems(10000));
    const int visibleRows = table()->viewport()->height() / playCell::rowHeight + 2;
    QScrollBar* bar = table()->verticalScrollBar();
    for (int value = 0; value <= bar->maximum(); value += bar->maximum() / 97) {
        bar->setValue(value);
    }
    bar->setValue(bar->maximum());
    EXPECT_LE(cellsMade(), visibleRows);
    const qint64 last = table()->rowAt(table()->viewport()->height() - 1);
    EXPECT_EQ(last, 9999);
    playCell* cell = table()->cellForRow(9999);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->txtSongName->text(), "Track 9999");
    EXPECT_EQ(cell->txtSorcePath->text(), "source : /home/sam/Music/Track 9999.mp3");
    EXPECT_EQ(cell->deleteTag(), 9999);
}

// A new playing row out of view is brought into view; the user's scrolling is kept while the
// playing row stays the same.
TEST_F(PlaylistViewTest, NewPlayingRowIsBroughtIntoView)
{
    showItems(numberedItems(40));
    ASSERT_EQ(table()->cellForRow(30), nullptr);
    controller.setCurrentlyPlayingSongID(30);
    controls.reloadTable();
    ASSERT_NE(table()->cellForRow(30), nullptr);
    EXPECT_TRUE(table()->cellForRow(30)->imgCurrentPlaying->isVisible());

    table()->verticalScrollBar()->setValue(0);
    controls.reloadTable();
    EXPECT_EQ(table()->cellForRow(30), nullptr);
}

// A click hands the row to the controller (which, with no Apple TV found, says so and pauses
// the table for 3 seconds), and the row looks afterwards as it looked before.
TEST_F(PlaylistViewTest, ClickOnARowReachesTheControllerAndLeavesNoSelection)
{
    addSamplePlaylist();
    launch();
    QWidget* viewport = table()->viewport();
    const QPoint onRow(120, playCell::rowHeight + 30);
    QTest::mouseMove(viewport, onRow);
    const QImage before = picture(*table()->cellForRow(1));

    QTest::mouseClick(viewport, Qt::LeftButton, {}, onRow);
    EXPECT_EQ(orvanta.prompter.alerts, QStringList{QStringLiteral("No any AppleTV found")});
    EXPECT_FALSE(controls.playListTable.isEnabled());
    QTest::mouseClick(viewport, Qt::LeftButton, {}, onRow);
    EXPECT_EQ(orvanta.prompter.alerts.size(), 1) << "a second click within 3 s is ignored";

    QCoreApplication::processEvents();
    EXPECT_EQ(picture(*table()->cellForRow(1)), before);
}

TEST_F(PlaylistViewTest, DeleteButtonDeletesItsRow)
{
    addSamplePlaylist();
    launch();
    ASSERT_EQ(table()->numberOfRows(), 5);
    playCell* cell = table()->cellForRow(1);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->deleteTag(), 1);
    QTest::mouseClick(cell->btnDelete, Qt::LeftButton);
    ASSERT_EQ(table()->numberOfRows(), 4);
    EXPECT_EQ(table()->cellForRow(1)->txtSongName->text(), "Blue in Green");
    QStringList stored;
    for (const Playlist& record : controller.arrPlayList()) {
        stored << record.songName;
    }
    EXPECT_FALSE(stored.contains(QStringLiteral("Freddie Freeloader")));
}

TEST_F(PlaylistViewTest, DeletingTheLastItemBringsBackTheDropArea)
{
    addItem(QStringLiteral("Only"), QStringLiteral("Unknown"), QStringLiteral("/music/only.mp3"),
            QStringLiteral("10"));
    launch();
    ASSERT_TRUE(element("scrollMusic")->isVisible());
    EXPECT_TRUE(element("moreFilesHint")->isVisible()) << "one row leaves room for the hint";
    QTest::mouseClick(table()->cellForRow(0)->btnDelete, Qt::LeftButton);
    EXPECT_EQ(table()->numberOfRows(), 0);
    EXPECT_FALSE(element("scrollMusic")->isVisible());
    EXPECT_TRUE(element("imgDropView")->isVisible());
    EXPECT_FALSE(element("moreFilesHint")->isVisible());
}

} // namespace
