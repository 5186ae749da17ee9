#include "programming/track_list.h"

#include <QPainter>

#include "programming/track_row_painter.h"
#include "util/text.h"

namespace snx {

void TrackRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    painter->save();
    painter->setFont(option.font);
    DrawTrackRow(*painter, option.rect, index.data(Qt::DisplayRole).toString(),
                 (option.state & QStyle::State_Selected) != 0, option.palette);
    painter->restore();
}

QSize TrackRowDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width(), TrackRowHeight(option.fontMetrics)};
}

TrackList::TrackList(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new TrackRowDelegate(this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void TrackList::SetRows(const std::vector<std::string>& rows) {
    clear();
    for (const std::string& row : rows) {
        addItem(QString::fromStdString(StoredTextToUtf8(row)));
    }
}

QString TrackList::Row(int index) const {
    const QListWidgetItem* entry = item(index);
    return entry != nullptr ? entry->text() : QString();
}

void TrackList::keyboardSearch(const QString& search) {
    if (!search.trimmed().isEmpty()) {
        QListWidget::keyboardSearch(search);
    }
}

}  // namespace snx
