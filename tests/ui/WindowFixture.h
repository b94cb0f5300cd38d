#pragma once

#include "support/HeadlessOrvanta.h"
#include "ui/MainWindow.h"

#include <QImage>
#include <QString>
#include <QWidget>

// Orvanta with its window, in a home of its own, with the scripted prompter.
struct WindowFixture
{
    // Adds an item to the store, as an import would.
    void addItem(const QString& name, const QString& album, const QString& path, const QString& seconds);
    // A few items that look like a real playlist.
    void addSamplePlaylist();

    void launch();

    // The window's element of this name; the playlist's cells, whose parts carry some of the
    // same names, are not looked in.
    template <typename T = QWidget>
    T* element(const char* name) const
    {
        for (T* found : window.findChildren<T*>(QString::fromLatin1(name))) {
            if (!isInCell(found)) {
                return found;
            }
        }
        return nullptr;
    }

    HeadlessOrvanta orvanta;
    Controls& controls = orvanta.controls;
    AppDelegate& controller = orvanta.controller;
    MainWindow window{orvanta.controller};
};

bool isInCell(const QObject* object);

// The widget as the screen shows it, with its transparent parts kept.
QImage picture(QWidget& widget);

// Writes the picture of the widget to the screenshots folder of the build as NAME.png.
void saveScreenshot(QWidget& widget, const QString& name);
