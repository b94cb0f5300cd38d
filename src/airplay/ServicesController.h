#pragma once

#include "airplay/ServiceRecord.h"

#include <QList>
#include <QObject>

// A list of Apple TV services with a selection, for the window to show beside the device
// menu. The client manager connects to the selected service whenever the selection changes,
// removes services that disappear, and selects the first entry after each build of the
// device menu. The list starts empty; what it holds is the window's to set.
class ServicesController : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    const QList<ServiceRecord>& content() const { return m_content; }
    // Replaces the list; the selection is cleared.
    void setContent(QList<ServiceRecord> content);
    // Takes out every entry equal to the service. The selection stays on the same entries
    // (a selected entry that goes is no longer selected); this is no change of selection.
    void removeObject(const ServiceRecord& service);

    const QList<int>& selectionIndexes() const { return m_selectionIndexes; }
    // Selects the entries at these positions; positions outside the list are ignored.
    void setSelectionIndexes(const QList<int>& indexes);
    void setSelectionIndex(int index) { setSelectionIndexes({index}); }
    QList<ServiceRecord> selectedObjects() const;

signals:
    void selectionIndexesChanged();

private:
    QList<ServiceRecord> m_content;
    QList<int> m_selectionIndexes;
};
