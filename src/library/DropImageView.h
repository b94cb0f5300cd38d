#pragma once

#include <QStringList>
#include <Qt>

#include <functional>

class QMimeData;

// The rules of the drop area of the main window: what a drag of files is answered while it
// is over the area, and what dropping them does. The window's drop area hands its drag
// events here.
class DropImageView
{
public:
    // Imports the files, in their order, and reloads the playlist once they are in.
    using ImportFiles = std::function<void(const QStringList& paths)>;

    explicit DropImageView(ImportFiles importFiles);

    // The local files that the dragged data names, in its order.
    static QStringList fileNames(const QMimeData& data);

    // Link where the source allows it, else copy where it allows that, else none; none when
    // the data names no files.
    static Qt::DropAction draggingEntered(const QMimeData& data, Qt::DropActions allowed);

    // Imports the dropped files. Answers false in every case, so that the source does not
    // treat the files as moved or copied.
    bool performDragOperation(const QMimeData& data) const;

private:
    ImportFiles m_importFiles;
};
