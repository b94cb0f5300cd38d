#include "WindowFixture.h"

#include "ui/playCell.h"

#include <QCoreApplication>
#include <QDir>

#include <gtest/gtest.h>

void WindowFixture::addItem(const QString& name, const QString& album, const QString& path,
                            const QString& seconds)
{
    ASSERT_TRUE(controller.addToPlayList(name, album, QStringLiteral("Unknown"), path, seconds));
}

void WindowFixture::addSamplePlaylist()
{
    addItem(QStringLiteral("So What"), QStringLiteral("Kind of Blue"),
            QStringLiteral("/home/sam/Music/Miles Davis/Kind of Blue/01 So What.mp3"), QStringLiteral("562"));
    addItem(QStringLiteral("Freddie Freeloader"), QStringLiteral("Kind of Blue"),
            QStringLiteral("/home/sam/Music/Miles Davis/Kind of Blue/02 Freddie Freeloader.mp3"),
            QStringLiteral("586"));
    addItem(QStringLiteral("Blue in Green"), QStringLiteral("Kind of Blue"),
            QStringLiteral("/home/sam/Music/Miles Davis/Kind of Blue/03 Blue in Green.mp3"),
            QStringLiteral("337"));
    addItem(QStringLiteral("holiday-2024-beach.mp4"), QStringLiteral("Unknown"),
            QStringLiteral("/home/sam/Videos/holiday-2024-beach.mp4"), QStringLiteral("4085"));
    addItem(QStringLiteral("Nocturne in E-flat major, Op. 9 No. 2"), QStringLiteral("Chopin: Nocturnes"),
            QStringLiteral("/home/sam/Music/Chopin/Nocturnes/Nocturne in E-flat major, Op. 9 No. 2.mp3"),
            QStringLiteral("272"));
}

void WindowFixture::launch()
{
    orvanta.launch();
    QCoreApplication::processEvents();
}

bool isInCell(const QObject* object)
{
    for (const QObject* parent = object->parent(); parent; parent = parent->parent()) {
        if (qobject_cast<const playCell*>(parent)) {
            return true;
        }
    }
    return false;
}

QImage picture(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

void saveScreenshot(QWidget& widget, const QString& name)
{
    const QString folder = QStringLiteral(SCREENSHOT_DIR);
    QDir().mkpath(folder);
    const QString file = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    EXPECT_TRUE(picture(widget).save(file)) << file.toStdString();
}
