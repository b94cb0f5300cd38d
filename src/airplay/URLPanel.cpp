#include "airplay/URLPanel.h"

namespace {

constexpr qsizetype shortestReturnSubmission = 11;

} // namespace

URLPanel::URLPanel(QObject* parent)
    : QObject(parent)
{
}

void URLPanel::onOpenUrl()
{
    if (rollbackDelegate && !urlField.isEmpty()) {
        rollbackDelegate->openUrl(urlField);
    }
    emit modalRunEnded(1);
}

void URLPanel::onCancel()
{
    if (rollbackDelegate) {
        rollbackDelegate->setIsPassOpened(false);
    }
    emit modalRunEnded(0);
}

void URLPanel::controlTextDidEndEditing(bool endedWithReturn)
{
    if (endedWithReturn && urlField.size() >= shortestReturnSubmission) {
        onOpenUrl();
    }
}
