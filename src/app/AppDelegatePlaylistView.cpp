#include "app/AppDelegate.h"

#include "diagnostics/SystemLog.h"

#include <limits>

namespace {

constexpr int songNameY = 63;
constexpr int songNameWidth = 252;
constexpr int songNameHeight = 14;
constexpr int songNameX = 5;
constexpr int playingSongNameX = 20;

// The leading decimal digits of the text, after any white space; 0 when there are none, the
// largest 32-bit value when they go past it.
qint32 leadingSeconds(const QString& text)
{
    qint64 value = 0;
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace()) {
        ++i;
    }
    for (; i < text.size() && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9'); ++i) {
        value = value * 10 + (text.at(i).unicode() - '0');
        if (value > std::numeric_limits<qint32>::max()) {
            return std::numeric_limits<qint32>::max();
        }
    }
    return static_cast<qint32>(value);
}

} // namespace

qint64 AppDelegate::numberOfRowsInTableView() const
{
    return m_arrPlayList.size();
}

PlayCellConfiguration AppDelegate::tableViewViewForRow(qint64 row) const
{
    PlayCellConfiguration cell;
    if (row < 0 || row >= m_arrPlayList.size()) {
        systemLog(
            QStringLiteral("The playlist view asked for row %1 of %2").arg(row).arg(m_arrPlayList.size()));
        return cell;
    }
    const Playlist& item = m_arrPlayList.at(row);
    cell.isCurrentPlaying = row == m_currentlyPlayingSongID;
    cell.songNameFrame =
        QRect(cell.isCurrentPlaying ? playingSongNameX : songNameX, songNameY, songNameWidth, songNameHeight);
    cell.songName = item.songName;
    cell.albumName = item.songAlbum;
    cell.durationText = timeFormatted(leadingSeconds(item.songTime));
    cell.sourceText = QStringLiteral("source : %1").arg(item.songPath);
    cell.deleteTag = row;
    return cell;
}
