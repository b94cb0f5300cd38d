#include "airplay/ClientManager.h"
#include "app/AppDelegate.h"
#include "app/CommandLine.h"
#include "app/Controls.h"
#include "app/SingleInstance.h"
#include "app/TerminationSignals.h"
#include "diagnostics/CrashHandler.h"
#include "ui/DialogPrompter.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[])
{
    installCrashHandler();
    TerminationSignals::block();

    QCoreApplication::setOrganizationName(QStringLiteral("Orvanta"));
    QCoreApplication::setApplicationName(QStringLiteral("orvanta"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ORVANTA_VERSION));

    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    const CommandLine commandLine = CommandLine::parse(arguments);
    if (!commandLine.error.isEmpty()) {
        fprintf(stderr, "orvanta: %s\n", qPrintable(commandLine.error));
        return 2;
    }
    if (!commandLine.information.isEmpty()) {
        fputs(qPrintable(commandLine.information), stdout);
        return 0;
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        fprintf(stderr, "orvanta: there is no graphical display to show the window on "
                        "(neither DISPLAY nor WAYLAND_DISPLAY is set)\n");
        return 1;
    }

    QApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Orvanta"));

    // With Orvanta already running, its files go there and this run ends.
    const QStringList namesToOpen = SingleInstance::namesToOpen(commandLine.files);
    if (!namesToOpen.isEmpty()) {
        QString error;
        switch (SingleInstance::handOver(namesToOpen, error)) {
        case SingleInstance::HandOver::Taken:
            return 0;
        case SingleInstance::HandOver::Failed:
            fprintf(stderr, "orvanta: %s\n", qPrintable(error));
            return 1;
        case SingleInstance::HandOver::NoneRunning:
            break;
        }
    }

    TerminationSignals terminationSignals;
    Controls controls;
    DialogPrompter prompter;
    ClientManager clientManager;
    AppDelegate appDelegate(controls, prompter, clientManager);
    MainWindow window(appDelegate);
    prompter.setWindow(&window);
    clientManager.awakeFromNib(&appDelegate);
    SingleInstance singleInstance;
    const auto openNames = [&appDelegate](const QStringList& names) {
        for (const QString& name : names) {
            appDelegate.applicationOpenFile(name);
        }
    };
    QObject::connect(&singleInstance, &SingleInstance::namesHandedOver, &appDelegate, openNames);

    QTimer::singleShot(0, &appDelegate, &AppDelegate::applicationDidFinishLaunching);
    if (!commandLine.device.isEmpty()) {
        QTimer::singleShot(0, &appDelegate, [&] { appDelegate.connectToDeviceAddress(commandLine.device); });
    }
    QTimer::singleShot(0, &appDelegate, [&] {
        openNames(namesToOpen);
        singleInstance.listen();
    });
    return QApplication::exec();
}
