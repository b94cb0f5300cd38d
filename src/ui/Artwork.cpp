#include "ui/Artwork.h"

#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// Resources compiled into a static library need registering by hand.
static void registerArtwork()
{
    Q_INIT_RESOURCE(artwork);
}

namespace Artwork {

QString fileName(const QString& name)
{
    static const bool registered = (registerArtwork(), true);
    Q_UNUSED(registered);
    return QStringLiteral(":/images/%1.svg").arg(name);
}

bool exists(const QString& name)
{
    return QFile::exists(fileName(name));
}

QIcon applicationIcon()
{
    QSvgRenderer renderer(fileName(QStringLiteral("iconBig")));
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace Artwork
