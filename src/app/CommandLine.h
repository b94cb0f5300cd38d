#pragma once

#include <QString>
#include <QStringList>

// What the command line asks of this run of Orvanta.
struct CommandLine
{
    // An Apple TV to connect to by address ("host:port"), beside those that discovery finds.
    QString device;
    // Files (or http:// addresses) to open, as the desktop hands them over.
    QStringList files;
    // Set when the command line cannot be used; the text says why.
    QString error;
    // The help or version text, when that was asked for instead of a run.
    QString information;

    static CommandLine parse(const QStringList& arguments);
};
