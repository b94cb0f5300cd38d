#include "airplay/ClientManager.h"
#include "app/AppDelegate.h"
#include "app/Controls.h"
#include "app/TerminationSignals.h"
#include "diagnostics/CrashHandler.h"
#include "ui/DialogPrompter.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char* argv[])
{
    installCrashHandler();
    TerminationSignals::block();

    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Orvanta"));
    QCoreApplication::setApplicationName(QStringLiteral("Orvanta"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ORVANTA_VERSION));

    TerminationSignals terminationSignals;
    Controls controls;
    MainWindow window(controls);
    DialogPrompter prompter(&window);
    ClientManager clientManager;
    AppDelegate appDelegate(controls, prompter, clientManager);
    clientManager.awakeFromNib(&appDelegate);

    QTimer::singleShot(0, &appDelegate, &AppDelegate::applicationDidFinishLaunching);
    return QApplication::exec();
}
