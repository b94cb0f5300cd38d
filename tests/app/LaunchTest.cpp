// The orvanta program itself: it starts headless and quits cleanly on a termination signal.
#include "support/TempHome.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>

namespace {

TEST(Launch, StartsAndQuitsCleanlyOnSigterm)
{
    TempHome home;
    QProcess orvanta;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    orvanta.setProcessEnvironment(environment);
    orvanta.setProcessChannelMode(QProcess::MergedChannels);
    orvanta.start(QStringLiteral(ORVANTA_BINARY), {});
    ASSERT_TRUE(orvanta.waitForStarted());

    QByteArray output;
    while (!output.contains(" started with ") && orvanta.waitForReadyRead(10000)) {
        output += orvanta.readAll();
    }
    ASSERT_TRUE(output.contains(" started with ")) << output.toStdString();

    kill(static_cast<pid_t>(orvanta.processId()), SIGTERM);
    ASSERT_TRUE(orvanta.waitForFinished(10000));
    output += orvanta.readAll();
    EXPECT_EQ(orvanta.exitStatus(), QProcess::NormalExit) << output.toStdString();
    EXPECT_EQ(orvanta.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(QDir(home.filePath(QStringLiteral(".local/state/orvanta/crashes"))).isEmpty());
}

} // namespace
