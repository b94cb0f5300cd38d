// Deleting playlist rows: the playing item keeps its mark, the playing row is stopped and
// cleared before it goes, and cannot go before anything has started.
#include "ControllerUnderTest.h"
#include "support/TempHome.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

namespace {

class PlaylistDeletion : public testing::Test
{
protected:
    void SetUp() override
    {
        orvanta.launch();
        setRows();
    }

    // The playlist A, B, C, D, whatever it held before.
    void setRows()
    {
        orvanta.controller.setCurrentlyPlayingSongID(-1);
        while (!orvanta.controller.arrPlayList().isEmpty()) {
            orvanta.controller.deleteFromPlaylist(0);
        }
        for (const QString& name :
             {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")}) {
            ASSERT_TRUE(orvanta.controller.addToPlayList(
                name, QStringLiteral("Album ") + name, QStringLiteral("Artist"),
                QStringLiteral("/music/%1.mp3").arg(name), QStringLiteral("60")));
        }
        orvanta.controller.getSongsList();
    }

    TempHome home;
    ControllerUnderTest orvanta;
};

TEST_F(PlaylistDeletion, ThePlayingItemKeepsItsMark)
{
    const struct
    {
        const char* what;
        qint64 playing;
        qint64 deleted;
        QStringList rows;
        qint64 playingAfter;
    } cases[] = {
        {"a row above the playing one", 2, 0, {"B", "C", "D"}, 1},
        {"a row below the playing one", 1, 3, {"A", "B", "C"}, 1},
        {"a row while nothing plays", -1, 1, {"A", "C", "D"}, -1},
        {"a row that is not there", 1, 4, {"A", "B", "C", "D"}, 1},
        {"a negative row", 1, -1, {"A", "B", "C", "D"}, 1},
    };
    orvanta.controls.btnPlay.setEnabled(true);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        setRows();
        orvanta.controller.setCurrentlyPlayingSongID(c.playing);
        orvanta.controller.deleteFromPlaylist(c.deleted);
        EXPECT_EQ(orvanta.songNames(), c.rows);
        EXPECT_EQ(orvanta.controller.currentlyPlayingSongID(), c.playingAfter);
    }
    EXPECT_TRUE(orvanta.prompter.alerts.isEmpty());
}

TEST_F(PlaylistDeletion, ThePlayingRowCannotGoBeforeAnythingHasStarted)
{
    orvanta.controller.setCurrentlyPlayingSongID(1);
    ASSERT_FALSE(orvanta.controls.btnPlay.isEnabled());
    orvanta.controller.deleteFromPlaylist(1);
    EXPECT_EQ(orvanta.prompter.alerts, QStringList{QStringLiteral("You can't delete while its playing")});
    EXPECT_EQ(orvanta.songNames().size(), 4);
    EXPECT_EQ(orvanta.controller.currentlyPlayingSongID(), 1);
}

TEST_F(PlaylistDeletion, ThePlayingRowIsStoppedAndClearedBeforeItGoes)
{
    QTcpServer appleTv;
    ASSERT_TRUE(appleTv.listen(QHostAddress::LocalHost));
    QByteArray received;
    bool connected = false;
    QObject::connect(&appleTv, &QTcpServer::newConnection, [&] {
        connected = true;
        QTcpSocket* socket = appleTv.nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::readyRead,
                         [socket, &received] { received += socket->readAll(); });
    });
    orvanta.manager.addDevice({QStringLiteral("Living Room"), QStringLiteral("living-room.local."),
                               appleTv.serverPort(), QStringLiteral("127.0.0.1")});
    ASSERT_TRUE(waitUntil([&] { return connected; }));

    orvanta.controls.btnPlay.setEnabled(true);
    orvanta.controls.progressIndicator.setHidden(false);
    orvanta.controls.lblStartingInfo.setHidden(false);
    orvanta.controls.txtSongName.setText(QStringLiteral("C"));
    orvanta.controls.txtAlbumName.setText(QStringLiteral("Album C"));
    orvanta.controller.setCurrentlyPlayingSongID(2);

    orvanta.controller.deleteFromPlaylist(2);
    EXPECT_EQ(orvanta.songNames(),
              (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("D")}));
    EXPECT_EQ(orvanta.controller.currentlyPlayingSongID(), -1);
    EXPECT_TRUE(orvanta.controls.progressIndicator.isHidden());
    EXPECT_TRUE(orvanta.controls.lblStartingInfo.isHidden());
    EXPECT_TRUE(orvanta.controls.txtSongName.text().isEmpty());
    EXPECT_TRUE(orvanta.controls.txtAlbumName.text().isEmpty());
    EXPECT_TRUE(waitUntil([&] { return received.startsWith("POST /stop "); })) << received.toStdString();
}

TEST_F(PlaylistDeletion, DeletingTheLastRowShowsTheDropAreaAgain)
{
    while (!orvanta.controller.arrPlayList().isEmpty()) {
        orvanta.controller.deleteFromPlaylist(orvanta.controller.arrPlayList().size() - 1);
    }
    EXPECT_TRUE(orvanta.controls.playListTable.isHidden());
    EXPECT_FALSE(orvanta.controls.imgDropView.isHidden());

    ControllerUnderTest restarted;
    restarted.launch();
    EXPECT_TRUE(restarted.controller.arrPlayList().isEmpty());
}

} // namespace
