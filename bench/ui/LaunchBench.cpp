// From the start of the orvanta process to its window shown, with a playlist of 10,000
// items, on the offscreen platform.
//   ui_launch_bench ORVANTA [RUNS]
// Makes the playlist through the controller in a temporary home, starts orvanta there RUNS
// times (after one run that warms the caches) and prints the median time until orvanta
// reports "The window is shown", as `BENCH launch-10k value=<ms>`.
#include "airplay/ClientManager.h"
#include "app/AppDelegate.h"
#include "app/Controls.h"
#include "app/Prompter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

namespace {

constexpr int playlistSize = 10000;

// Making the store asks the user nothing; anything it would ask is a failure.
class FailingPrompter : public Prompter
{
public:
    void showAlert(const QString& text) override { fail(text); }
    void showError(const QString& description, const QString& reason, const QString&) override
    {
        fail(description + QStringLiteral(": ") + reason);
    }
    void runEntryPanel(URLPanel&) override { fail(QStringLiteral("the entry panel opened")); }
    QString runOpenDialog(const OpenDialogSettings&) override
    {
        fail(QStringLiteral("the open dialog opened"));
        return {};
    }
    QString askDeviceAddress() override
    {
        fail(QStringLiteral("an address was asked for"));
        return {};
    }

private:
    [[noreturn]] static void fail(const QString& text)
    {
        fprintf(stderr, "ui_launch_bench: %s\n", qPrintable(text));
        std::exit(1);
    }
};

void useHome(const QString& home)
{
    const QByteArray path = home.toLocal8Bit();
    qputenv("HOME", path);
    qputenv("XDG_CONFIG_HOME", path + "/.config");
    qputenv("XDG_DATA_HOME", path + "/.local/share");
    qputenv("XDG_STATE_HOME", path + "/.local/state");
    qputenv("XDG_CACHE_HOME", path + "/.cache");
    qputenv("XDG_RUNTIME_DIR", path);
    qunsetenv("XDG_DOCUMENTS_DIR");
}

void makePlaylist()
{
    Controls controls;
    FailingPrompter prompter;
    ClientManager clientManager;
    AppDelegate controller(controls, prompter, clientManager);
    for (int i = 0; i < playlistSize; ++i) {
        const QString name = QStringLiteral("Track %1").arg(i, 5, 10, QLatin1Char('0'));
        if (!controller.addToPlayList(
                name, QStringLiteral("Album %1").arg(i / 12), QStringLiteral("Artist"),
                QStringLiteral("/home/someone/Music/Album %1/%2.mp3").arg(i / 12).arg(name),
                QString::number(120 + i % 300))) {
            fprintf(stderr, "ui_launch_bench: item %d was not added\n", i);
            std::exit(1);
        }
    }
}

// Milliseconds from the start of the process to its window shown; none when it did not
// report it within 20 s.
std::optional<double> timeLaunch(const QString& program)
{
    QProcess orvanta;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    orvanta.setProcessEnvironment(environment);
    orvanta.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer clock;
    clock.start();
    orvanta.start(program, {});
    QByteArray output;
    std::optional<double> shown;
    while (clock.elapsed() < 20000 && orvanta.waitForReadyRead(20000)) {
        output += orvanta.readAll();
        if (output.contains("The window is shown")) {
            shown = clock.nsecsElapsed() / 1e6;
            break;
        }
    }
    orvanta.terminate();
    if (!orvanta.waitForFinished(10000)) {
        orvanta.kill();
        orvanta.waitForFinished();
    }
    output += orvanta.readAll();
    if (!shown || !output.contains(QByteArray("started with ") + QByteArray::number(playlistSize))) {
        fprintf(stderr, "ui_launch_bench: orvanta did not show a window with %d items:\n%s\n", playlistSize,
                output.constData());
        return std::nullopt;
    }
    return shown;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    if (argc < 2) {
        fprintf(stderr, "usage: ui_launch_bench ORVANTA [RUNS]\n");
        return 2;
    }
    const QString program = QString::fromLocal8Bit(argv[1]);
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 5;

    QTemporaryDir home;
    if (!home.isValid()) {
        fprintf(stderr, "ui_launch_bench: no temporary home: %s\n", qPrintable(home.errorString()));
        return 1;
    }
    useHome(home.path());
    makePlaylist();

    std::vector<double> times;
    for (int run = 0; run <= runs; ++run) {
        const std::optional<double> time = timeLaunch(program);
        if (!time) {
            return 1;
        }
        if (run > 0) {
            times.push_back(*time);
        }
    }
    std::sort(times.begin(), times.end());
    printf("BENCH launch-10k value=%.1f\n", times[times.size() / 2]);
    return 0;
}
