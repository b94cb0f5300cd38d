#pragma once

#include <QIcon>
#include <QString>

// The window's pictures, compiled into the program and looked up by name ("stopBtn",
// "pauseBtn", "playBtn", ...).
namespace Artwork {

// The resource path of the picture of this name.
QString fileName(const QString& name);

// Whether a picture of this name exists.
bool exists(const QString& name);

// The application's icon, drawn from the large picture.
QIcon applicationIcon();

} // namespace Artwork
