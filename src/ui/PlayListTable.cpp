#include "ui/PlayListTable.h"

#include "app/AppDelegate.h"
#include "diagnostics/SystemLog.h"
#include "ui/PHScroller.h"
#include "ui/playCell.h"

#include <QMouseEvent>
#include <QScrollBar>

#include <limits>

namespace {

constexpr int rowHeight = playCell::rowHeight;

} // namespace

PlayListTable::PlayListTable(AppDelegate& controller, QWidget* parent)
    : QAbstractScrollArea(parent), m_controller(controller)
{
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBar(new PHScroller(this));
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    viewport()->setCursor(Qt::PointingHandCursor);
    verticalScrollBar()->setSingleStep(rowHeight / 3);
}

void PlayListTable::registerCell(const QString& identifier, CellFactory factory)
{
    m_cellIdentifier = identifier;
    m_cellFactory = std::move(factory);
}

playCell* PlayListTable::makeViewWithIdentifier(const QString& identifier)
{
    if (identifier != m_cellIdentifier || !m_cellFactory) {
        systemLog(QStringLiteral("The playlist has no cell registered as \"%1\"").arg(identifier));
        return nullptr;
    }
    if (!m_spareCells.isEmpty()) {
        return m_spareCells.takeLast();
    }
    playCell* cell = m_cellFactory(viewport());
    connect(cell, &playCell::deleteClicked, this,
            [this](qint64 tag) { m_controller.deleteFromPlaylist(tag); });
    return cell;
}

void PlayListTable::reloadData()
{
    m_rowCount = qMax<qint64>(0, m_controller.numberOfRowsInTableView());
    updateScrollRange();
    const qint64 playing = m_controller.currentlyPlayingSongID();
    if (playing != m_shownPlayingRow && playing >= 0 && playing < m_rowCount) {
        scrollRowToVisible(playing);
    }
    m_shownPlayingRow = playing;
    layOutCells(true);
}

void PlayListTable::setRowClicksEnabled(bool enabled)
{
    m_rowClicksEnabled = enabled;
    viewport()->setCursor(enabled ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

qint64 PlayListTable::rowAt(int y) const
{
    const qint64 row = (static_cast<qint64>(verticalScrollBar()->value()) + y) / rowHeight;
    return y >= 0 && row < m_rowCount ? row : -1;
}

playCell* PlayListTable::cellForRow(qint64 row) const
{
    const auto found = m_visibleCells.find(row);
    return found == m_visibleCells.end() ? nullptr : found->second;
}

void PlayListTable::scrollRowToVisible(qint64 row)
{
    QScrollBar* bar = verticalScrollBar();
    const qint64 top = row * rowHeight;
    if (top < bar->value()) {
        bar->setValue(static_cast<int>(top));
    } else if (top + rowHeight > bar->value() + viewport()->height()) {
        bar->setValue(static_cast<int>(top + rowHeight - viewport()->height()));
    }
}

void PlayListTable::scrollContentsBy(int, int)
{
    layOutCells(false);
}

void PlayListTable::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
    layOutCells(false);
}

void PlayListTable::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    const qint64 row = rowAt(static_cast<int>(event->position().y()));
    if (!m_rowClicksEnabled || row < 0) {
        return;
    }
    // The controller starts the row's item; it never lets the row stay selected.
    m_controller.tableViewShouldSelectRow(row);
}

void PlayListTable::updateScrollRange()
{
    QScrollBar* bar = verticalScrollBar();
    const qint64 contentHeight = m_rowCount * rowHeight;
    const int pageHeight = viewport()->height();
    bar->setPageStep(pageHeight);
    bar->setRange(0, static_cast<int>(qMin<qint64>(std::numeric_limits<int>::max(),
                                                   qMax<qint64>(0, contentHeight - pageHeight))));
}

// Cells of rows that left the view become spares; rows that came into view get a spare (or a
// new) cell configured by the controller. Cells of rows still in view are only moved, unless
// every row is to be asked for again.
void PlayListTable::layOutCells(bool reconfigure)
{
    const qint64 offset = verticalScrollBar()->value();
    const qint64 first = offset / rowHeight;
    const qint64 last = qMin(m_rowCount - 1, (offset + viewport()->height() - 1) / rowHeight);

    for (auto it = m_visibleCells.begin(); it != m_visibleCells.end();) {
        if (it->first < first || it->first > last) {
            it->second->hide();
            m_spareCells.append(it->second);
            it = m_visibleCells.erase(it);
        } else {
            ++it;
        }
    }
    for (qint64 row = first; row <= last; ++row) {
        playCell* cell = cellForRow(row);
        const bool isNew = cell == nullptr;
        if (isNew) {
            cell = makeViewWithIdentifier(QStringLiteral("playCell"));
            if (!cell) {
                return;
            }
            m_visibleCells.emplace(row, cell);
        }
        if (isNew || reconfigure) {
            cell->configure(m_controller.tableViewViewForRow(row));
        }
        cell->setGeometry(0, static_cast<int>(row * rowHeight - offset), viewport()->width(), rowHeight);
        cell->show();
    }
}
