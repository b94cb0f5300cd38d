#include "app/CommandLine.h"

#include <QCommandLineParser>

CommandLine CommandLine::parse(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Sends your audio and video files to an Apple TV."));
    parser.addOption({{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Displays this help.")});
    parser.addOption({{QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Displays the version.")});
    const QCommandLineOption device(QStringLiteral("device"),
                                    QStringLiteral("Connects to the Apple TV at this address as well."),
                                    QStringLiteral("host:port"));
    parser.addOption(device);
    parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("Media files to add to the playlist."),
                                 QStringLiteral("[files...]"));

    CommandLine commandLine;
    if (!parser.parse(arguments)) {
        commandLine.error = parser.errorText();
        return commandLine;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        commandLine.information = parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("orvanta"));
        return commandLine;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        commandLine.information = QStringLiteral("orvanta %1\n").arg(QStringLiteral(ORVANTA_VERSION));
        return commandLine;
    }
    commandLine.device = parser.value(device);
    commandLine.files = parser.positionalArguments();
    return commandLine;
}
