// A list of track rows drawn by DrawTrackRow, for every dialog that lists a disc's tracks.
#pragma once

#include <QListWidget>
#include <QStyledItemDelegate>
#include <string>
#include <vector>

namespace snx {

// Paints each item's text as a track row in the list's font and selection colours.
class TrackRowDelegate final : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

class TrackList final : public QListWidget {
    Q_OBJECT
  public:
    explicit TrackList(QWidget* parent = nullptr);

    // Replaces the items with these rows, whose names are stored text.
    void SetRows(const std::vector<std::string>& rows);
    // The row's text as stored in the list (names decoded for display).
    QString Row(int index) const;

    // Every row starts with its padded number, so a space typed to choose the current row
    // (Space, Ctrl+Space) must not also jump to the next row starting with one.
    void keyboardSearch(const QString& search) override;
};

}  // namespace snx
