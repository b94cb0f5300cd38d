// The crash handler: a fatal signal leaves a report with the signal and a backtrace.
#include "diagnostics/CrashHandler.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(CrashHandler, FatalSignalLeavesAReportAndStillEndsTheProcess)
{
    QTemporaryDir state;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setenv("XDG_STATE_HOME", state.path().toLocal8Bit().constData(), 1);
        installCrashHandler();
        raise(SIGSEGV);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGSEGV);

    const QDir crashes(state.filePath(QStringLiteral("orvanta/crashes")));
    const QStringList reports = crashes.entryList({QStringLiteral("crash-*.txt")}, QDir::Files);
    ASSERT_EQ(reports.size(), 1);
    QFile report(crashes.filePath(reports.first()));
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    const QByteArray text = report.readAll();
    EXPECT_TRUE(text.contains("SIGSEGV (signal 11)")) << text.toStdString();
    EXPECT_TRUE(text.contains("Backtrace:")) << text.toStdString();
}

} // namespace
