// The playlist store and the import, measured through the controller: loading a store of
// 10,000 items into arrPlayList, and importing the mp3 files of a folder.
//   library_bench MUSIC_FOLDER      (HOME and the XDG folders point at a scratch home)
#include "airplay/ClientManager.h"
#include "app/AppDelegate.h"
#include "app/Controls.h"
#include "app/Prompter.h"
#include "library/MediaImporter.h"
#include "library/PlaylistStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int storedItems = 10000;
constexpr int loadRounds = 15;

// Answers nothing and lets nothing pass unseen: an alert means the figures are void.
class BenchPrompter : public Prompter
{
public:
    void showAlert(const QString& informativeText) override { fail(informativeText); }
    void showError(const QString& description, const QString& failureReason,
                   const QString& underlyingError) override
    {
        fail(description + QLatin1Char(' ') + failureReason + QLatin1Char(' ') + underlyingError);
    }
    void runEntryPanel(URLPanel&) override {}
    QString runOpenDialog(const OpenDialogSettings&) override { return {}; }
    QString askDeviceAddress() override { return {}; }

    bool failed = false;

private:
    void fail(const QString& text)
    {
        fprintf(stderr, "library_bench: %s\n", qPrintable(text));
        failed = true;
    }
};

bool fillStore(const QString& folder)
{
    QDir().mkpath(folder);
    QString error;
    auto store = PlaylistStore::open(folder + QStringLiteral("/Orvanta.sqlite"), error);
    for (int i = 0; store && i < storedItems; ++i) {
        Playlist item;
        item.songName = QStringLiteral("Song number %1 of the stored playlist").arg(i);
        item.songAlbum = QStringLiteral("Album %1").arg(i / 12);
        item.songArtist = QStringLiteral("Artist %1").arg(i / 120);
        item.songPath = QStringLiteral("/home/someone/Music/Artist %1/Album %2/%3 Song.mp3")
                            .arg(i / 120)
                            .arg(i / 12)
                            .arg(i);
        item.songTime = QString::number(120 + i % 300);
        if (store->add(item, error) == 0) {
            break;
        }
    }
    if (!error.isEmpty()) {
        fprintf(stderr, "library_bench: %s\n", qPrintable(error));
    }
    return error.isEmpty();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double milliseconds(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Orvanta"));
    QCoreApplication::setApplicationName(QStringLiteral("Orvanta"));
    if (argc != 2) {
        fprintf(stderr, "usage: library_bench MUSIC_FOLDER\n");
        return 2;
    }

    Controls controls;
    BenchPrompter prompter;
    ClientManager clientManager;
    AppDelegate controller(controls, prompter, clientManager);
    if (!fillStore(controller.applicationDocumentsDirectory())) {
        return 1;
    }

    QElapsedTimer timer;
    timer.start();
    controller.getSongsList();
    const double firstLoad = milliseconds(timer);
    std::vector<double> loads;
    for (int round = 0; round < loadRounds; ++round) {
        timer.restart();
        controller.getSongsList();
        loads.push_back(milliseconds(timer));
    }
    if (controller.arrPlayList().size() != storedItems) {
        fprintf(stderr, "library_bench: loaded %lld items of %d\n",
                static_cast<long long>(controller.arrPlayList().size()), storedItems);
        return 1;
    }

    const QDir music(QString::fromLocal8Bit(argv[1]));
    QStringList files;
    for (const QString& name : music.entryList({QStringLiteral("*.mp3")}, QDir::Files, QDir::Name)) {
        files << music.filePath(name);
    }
    QEventLoop loop;
    QObject::connect(&controller.mediaImporter(), &MediaImporter::finished, &loop, &QEventLoop::quit);
    timer.restart();
    controller.importMediaFiles(files);
    loop.exec();
    const double import = milliseconds(timer);
    const qsizetype imported = controller.arrPlayList().size() - storedItems;
    if (imported != files.size() || prompter.failed) {
        fprintf(stderr, "library_bench: imported %lld of %lld files\n", static_cast<long long>(imported),
                static_cast<long long>(files.size()));
        return 1;
    }

    printf("BENCH load-10000-items value=%.2f\n", median(loads));
    printf("BENCH first-load-10000-items-with-opening value=%.2f\n", firstLoad);
    printf("BENCH import-%lld-mp3 value=%.1f\n", static_cast<long long>(files.size()), import);
    printf("BENCH import-mp3-files-per-second value=%.0f\n",
           static_cast<double>(files.size()) * 1000.0 / import);
    return 0;
}
