#include "library/DropImageView.h"

#include <QMimeData>
#include <QUrl>

DropImageView::DropImageView(ImportFiles importFiles) : m_importFiles(std::move(importFiles)) {}

QStringList DropImageView::fileNames(const QMimeData& data)
{
    QStringList names;
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile()) {
            names << url.toLocalFile();
        }
    }
    return names;
}

Qt::DropAction DropImageView::draggingEntered(const QMimeData& data, Qt::DropActions allowed)
{
    if (fileNames(data).isEmpty()) {
        return Qt::IgnoreAction;
    }
    if (allowed.testFlag(Qt::LinkAction)) {
        return Qt::LinkAction;
    }
    if (allowed.testFlag(Qt::CopyAction)) {
        return Qt::CopyAction;
    }
    return Qt::IgnoreAction;
}

bool DropImageView::performDragOperation(const QMimeData& data) const
{
    const QStringList names = fileNames(data);
    if (!names.isEmpty()) {
        m_importFiles(names);
    }
    return false;
}
