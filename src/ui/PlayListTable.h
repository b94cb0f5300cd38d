#pragma once

#include <QAbstractScrollArea>
#include <QList>

#include <functional>
#include <map>

class AppDelegate;
class playCell;

// The playlist as a one-column table whose data source and delegate are the controller. Only
// the rows in view have a cell; cells that scroll out are kept and reused for the rows that
// come in, so that a long playlist scrolls as fast as a short one. A click on a row is handed
// to the controller, which never lets it stay selected.
class PlayListTable : public QAbstractScrollArea
{
    Q_OBJECT

public:
    using CellFactory = std::function<playCell*(QWidget* parent)>;

    explicit PlayListTable(AppDelegate& controller, QWidget* parent = nullptr);

    // Cells are made by the factory registered under their identifier.
    void registerCell(const QString& identifier, CellFactory factory);

    // A spare cell of this identifier, or a new one; none for an identifier not registered.
    playCell* makeViewWithIdentifier(const QString& identifier);

    // Asks the controller again for the number of rows and for every row in view, and brings
    // a newly playing row into view.
    void reloadData();

    // While row clicks are off, a click on a row does nothing; the rows' buttons still work.
    void setRowClicksEnabled(bool enabled);

    qint64 numberOfRows() const { return m_rowCount; }
    // The row at this height of the viewport; -1 below the last row.
    qint64 rowAt(int y) const;
    // The cell of a row in view, or none.
    playCell* cellForRow(qint64 row) const;
    void scrollRowToVisible(qint64 row);

protected:
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void updateScrollRange();
    void layOutCells(bool reconfigure);

    AppDelegate& m_controller;
    QString m_cellIdentifier;
    CellFactory m_cellFactory;
    QList<playCell*> m_spareCells;
    std::map<qint64, playCell*> m_visibleCells;
    qint64 m_rowCount = 0;
    qint64 m_shownPlayingRow = -1;
    bool m_rowClicksEnabled = true;
};
