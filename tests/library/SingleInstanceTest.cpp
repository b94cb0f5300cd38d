// One Orvanta a user: a later `orvanta FILE…` hands its files to the one that runs (the real
// program, without a display), and the running one survives what else reaches its socket.
#include "app/SingleInstance.h"
#include "library/PlaylistStore.h"
#include "support/EventLoop.h"
#include "support/MediaFiles.h"
#include "support/TempHome.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QUrl>

#include <gtest/gtest.h>

#include <future>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

void startOrvanta(QProcess& orvanta, const QStringList& arguments,
                  const QString& workingDirectory = QString())
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    orvanta.setProcessEnvironment(environment);
    orvanta.setProcessChannelMode(QProcess::MergedChannels);
    orvanta.setWorkingDirectory(workingDirectory);
    orvanta.start(QStringLiteral(ORVANTA_BINARY), arguments);
}

// Reads the program's output until it holds the text the given number of times.
bool waitForOutput(QProcess& orvanta, QByteArray& output, const QByteArray& text, int times = 1)
{
    while (output.count(text) < times) {
        if (!orvanta.waitForReadyRead(20000)) {
            return false;
        }
        output += orvanta.readAll();
    }
    return true;
}

bool quit(QProcess& orvanta, QByteArray& output)
{
    kill(static_cast<pid_t>(orvanta.processId()), SIGTERM);
    const bool finished = orvanta.waitForFinished(20000);
    output += orvanta.readAll();
    return finished && orvanta.exitStatus() == QProcess::NormalExit && orvanta.exitCode() == 0;
}

QStringList storedPaths(const TempHome& home)
{
    QString error;
    auto store = PlaylistStore::open(home.documents() + QStringLiteral("/Orvanta.sqlite"), error);
    EXPECT_TRUE(store) << error.toStdString();
    QStringList paths;
    if (store) {
        for (const Playlist& item : store->records(error)) {
            paths << item.songPath;
        }
    }
    return paths;
}

const QByteArray listening = "Taking the files of later runs at ";
const QByteArray added = "] Add\n";

TEST(SingleInstance, ASecondOrvantaHandsItsFilesToTheFirst)
{
    TempHome home;
    const QString music = home.filePath(QStringLiteral("Music"));
    const QString relative = music + QStringLiteral("/first song.mp3");
    const QString byUrl = music + QStringLiteral("/Ünïcødé #2.mp3");
    ASSERT_TRUE(makeMediaFiles(
        {{relative, QStringLiteral("mp3"), 1.0, {}, {}}, {byUrl, QStringLiteral("mp3"), 1.0, {}, {}}}));

    QProcess first;
    QByteArray firstOutput;
    startOrvanta(first, {});
    ASSERT_TRUE(waitForOutput(first, firstOutput, listening)) << firstOutput.toStdString();

    // As a shell hands over a name, and as the desktop hands over a URL.
    QProcess second;
    startOrvanta(second,
                 {QStringLiteral("first song.mp3"), QUrl::fromLocalFile(byUrl).toString(QUrl::FullyEncoded)},
                 music);
    ASSERT_TRUE(second.waitForFinished(20000));
    const QByteArray secondOutput = second.readAll();
    EXPECT_EQ(second.exitCode(), 0) << secondOutput.toStdString();
    EXPECT_FALSE(secondOutput.contains(" started with ")) << secondOutput.toStdString();

    EXPECT_TRUE(waitForOutput(first, firstOutput, added, 2)) << firstOutput.toStdString();
    ASSERT_TRUE(quit(first, firstOutput)) << firstOutput.toStdString();
    EXPECT_EQ(storedPaths(home), (QStringList{relative, byUrl}));
}

TEST(SingleInstance, WithNoneRunningOrvantaStartsAndImportsTheFilesItself)
{
    TempHome home;
    const QString song = home.filePath(QStringLiteral("Music/song.mp3"));
    ASSERT_TRUE(makeMediaFiles({{song, QStringLiteral("mp3"), 1.0, {}, {}}}));

    // The socket of an Orvanta that ended without removing it.
    const QByteArray socketPath = QFile::encodeName(SingleInstance::socketPath());
    ASSERT_TRUE(socketPath.startsWith(QFile::encodeName(home.path())));
    const int stale = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
    ASSERT_EQ(bind(stale, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0) << strerror(errno);
    close(stale);

    QProcess orvanta;
    QByteArray output;
    startOrvanta(orvanta, {song});
    ASSERT_TRUE(waitForOutput(orvanta, output, added)) << output.toStdString();
    EXPECT_TRUE(waitForOutput(orvanta, output, listening)) << output.toStdString();
    ASSERT_TRUE(quit(orvanta, output)) << output.toStdString();
    EXPECT_EQ(storedPaths(home), QStringList{song});
}

TEST(SingleInstance, NamesAreMadeFitForTheRunningOrvanta)
{
    const QString here = QDir::currentPath();
    const std::pair<QString, QString> names[] = {
        {QStringLiteral("http://example.invalid/a.mp3"), QStringLiteral("http://example.invalid/a.mp3")},
        {QStringLiteral("HTTP://Example.invalid/b.mp3"), QStringLiteral("HTTP://Example.invalid/b.mp3")},
        {QStringLiteral("file:///home/u/a%20b%25.mp3"), QStringLiteral("/home/u/a b%.mp3")},
        {QStringLiteral("/home/u/c.mp3"), QStringLiteral("/home/u/c.mp3")},
        {QStringLiteral("sub/d e.mp3"), here + QStringLiteral("/sub/d e.mp3")},
    };
    for (const auto& [given, expected] : names) {
        EXPECT_EQ(SingleInstance::namesToOpen({given}), QStringList{expected}) << given.toStdString();
    }
}

TEST(SingleInstance, GarbledMessagesAreDroppedAndTheNextHandOverIsTaken)
{
    TempHome home;
    SingleInstance instance;
    ASSERT_TRUE(instance.listen());
    QList<QStringList> handed;
    QObject::connect(&instance, &SingleInstance::namesHandedOver,
                     [&](const QStringList& names) { handed << names; });

    // A size beyond any list of names, then a body that is no list.
    for (const QByteArray& garbage : {QByteArray("\xff\xff\xff\xff", 4), QByteArray("\x00\x00\x00\x03"
                                                                                    "abc",
                                                                                    7)}) {
        QLocalSocket socket;
        socket.connectToServer(SingleInstance::socketPath());
        ASSERT_TRUE(socket.waitForConnected(5000));
        socket.write(garbage);
        socket.flush();
        EXPECT_TRUE(waitUntil([&] { return socket.state() == QLocalSocket::UnconnectedState; }))
            << "the running Orvanta hangs up";
    }
    EXPECT_TRUE(handed.isEmpty());

    const QStringList names{QStringLiteral("/music/a.mp3"), QStringLiteral("/music/new\nline.mp3")};
    auto handOver = std::async(std::launch::async, [&names] {
        QString error;
        return SingleInstance::handOver(names, error);
    });
    ASSERT_TRUE(waitUntil([&] { return handOver.wait_for(0s) == std::future_status::ready; }));
    EXPECT_EQ(handOver.get(), SingleInstance::HandOver::Taken);
    EXPECT_EQ(handed, QList<QStringList>{names});
}

} // namespace
