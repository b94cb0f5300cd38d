#pragma once

#include "app/PlayCellConfiguration.h"

#include <QWidget>

class ElidedLabel;
class ImageButton;
class ImageView;

// One row of the playlist: title, album, duration and source path of an item, the button
// that deletes it, and the mark of the playing row. The table reuses cells for the rows that
// come into view.
class playCell : public QWidget
{
    Q_OBJECT

public:
    static constexpr int rowHeight = 84;

    explicit playCell(QWidget* parent = nullptr);

    // Shows the row as the controller configured it.
    void configure(const PlayCellConfiguration& configuration);

    qint64 deleteTag() const { return m_deleteTag; }

    ElidedLabel* const txtSongName;
    ElidedLabel* const txtAlbumName;
    ElidedLabel* const txtDuration;
    ElidedLabel* const txtSorcePath;
    ImageButton* const btnDelete;
    ImageView* const imgCurrentPlaying;

signals:
    // The delete button was pressed; the tag is the row it was given.
    void deleteClicked(qint64 tag);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeSubviews();

    QRect m_songNameFrame{5, 63, 252, 14};
    qint64 m_deleteTag = -1;
    bool m_isCurrentPlaying = false;
};
