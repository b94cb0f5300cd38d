#include "airplay/ServicesController.h"

#include <algorithm>

void ServicesController::setContent(QList<ServiceRecord> content)
{
    m_content = std::move(content);
    setSelectionIndexes({});
}

void ServicesController::removeObject(const ServiceRecord& service)
{
    QList<int> kept;
    int removedBefore = 0;
    int selected = 0;
    for (int i = 0; i < m_content.size(); ++i) {
        const bool isSelected = selected < m_selectionIndexes.size() && m_selectionIndexes[selected] == i;
        if (isSelected) {
            ++selected;
        }
        if (m_content[i] == service) {
            ++removedBefore;
        } else if (isSelected) {
            kept.append(i - removedBefore);
        }
    }
    m_content.removeAll(service);
    m_selectionIndexes = kept;
}

void ServicesController::setSelectionIndexes(const QList<int>& indexes)
{
    QList<int> selection;
    for (int index : indexes) {
        if (index >= 0 && index < m_content.size() && !selection.contains(index)) {
            selection.append(index);
        }
    }
    std::sort(selection.begin(), selection.end());
    if (selection == m_selectionIndexes) {
        return;
    }
    m_selectionIndexes = selection;
    emit selectionIndexesChanged();
}

QList<ServiceRecord> ServicesController::selectedObjects() const
{
    QList<ServiceRecord> objects;
    for (int index : m_selectionIndexes) {
        objects.append(m_content[index]);
    }
    return objects;
}
