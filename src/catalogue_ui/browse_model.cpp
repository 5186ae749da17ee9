#include "catalogue_ui/browse_model.h"

#include "catalogue_ui/browse_pictures.h"
#include "util/text.h"

namespace snx {

// An index's internal id is 0 for a top-level node, else its heading's row + 1: the tree has
// only two levels.
BrowseModel::BrowseModel(std::array<QIcon, 4> pictures, QObject* parent)
    : QAbstractItemModel(parent), pictures_(std::move(pictures)) {
    for (std::size_t i = 0; i < pictures_.size(); ++i) {
        archivedPictures_[i] = ArchivedPicture(pictures_[i]);
    }
}

void BrowseModel::SetArchived(std::map<std::string, std::filesystem::path> folders) {
    beginResetModel();
    archived_ = std::move(folders);
    endResetModel();
}

std::filesystem::path BrowseModel::ArchiveOf(const BrowseNode* node) const {
    if (node == nullptr || node->Heading) {
        return {};
    }
    const auto found = archived_.find(node->Identity);
    return found == archived_.end() ? std::filesystem::path() : found->second;
}

void BrowseModel::SetTree(std::vector<BrowseNode> tree) {
    beginResetModel();
    tree_ = std::move(tree);
    endResetModel();
}

void BrowseModel::Sort(const TextCompare& compare) {
    emit layoutAboutToBeChanged();
    // Each persistent index follows its node to its new place.
    const QModelIndexList before = persistentIndexList();
    // A disc is known by its record number, a heading (kHeading) by its text.
    constexpr std::int32_t kHeading = -1;
    constexpr std::int32_t kNone = -2;
    std::vector<std::pair<std::int32_t, std::string>> keys;
    for (const QModelIndex& index : before) {
        const BrowseNode* node = Node(index);
        if (node == nullptr) {
            keys.emplace_back(kNone, std::string());
        } else {
            keys.emplace_back(node->Heading ? kHeading : node->RecordNumber, node->Text);
        }
    }
    SortBrowseTree(tree_, compare);
    QModelIndexList after;
    after.reserve(before.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        QModelIndex found;
        for (int row = 0; row < static_cast<int>(tree_.size()) && !found.isValid(); ++row) {
            const BrowseNode& top = tree_[static_cast<std::size_t>(row)];
            if (keys[i].first == kHeading && top.Heading && top.Text == keys[i].second) {
                found = createIndex(row, 0, quintptr{0});
            }
            for (int child = 0; child < static_cast<int>(top.Children.size()) && !found.isValid();
                 ++child) {
                if (top.Children[static_cast<std::size_t>(child)].RecordNumber == keys[i].first) {
                    found = createIndex(child, 0, static_cast<quintptr>(row) + 1);
                }
            }
            if (!top.Heading && top.RecordNumber == keys[i].first) {
                found = createIndex(row, 0, quintptr{0});
            }
        }
        after.push_back(found);
    }
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

std::vector<BrowseNode>* BrowseModel::Level(const QModelIndex& parent) {
    if (!parent.isValid()) {
        return &tree_;
    }
    if (parent.internalId() != 0 || parent.row() >= static_cast<int>(tree_.size())) {
        return nullptr;
    }
    return &tree_[static_cast<std::size_t>(parent.row())].Children;
}

const std::vector<BrowseNode>* BrowseModel::Level(const QModelIndex& parent) const {
    return const_cast<BrowseModel*>(this)->Level(parent);
}

const BrowseNode* BrowseModel::Node(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this) {
        return nullptr;
    }
    const std::vector<BrowseNode>* level = Level(parent(index));
    if (level == nullptr || index.row() < 0 || index.row() >= static_cast<int>(level->size())) {
        return nullptr;
    }
    return &(*level)[static_cast<std::size_t>(index.row())];
}

void BrowseModel::Rename(const QModelIndex& index, std::string text) {
    if (Node(index) == nullptr) {
        return;
    }
    (*Level(parent(index)))[static_cast<std::size_t>(index.row())].Text = std::move(text);
    emit dataChanged(index, index);
}

void BrowseModel::Remove(const QModelIndex& index) {
    if (Node(index) == nullptr) {
        return;
    }
    const QModelIndex above = parent(index);
    std::vector<BrowseNode>& level = *Level(above);
    beginRemoveRows(above, index.row(), index.row());
    level.erase(level.begin() + index.row());
    endRemoveRows();
}

QModelIndex BrowseModel::index(int row, int column, const QModelIndex& parent) const {
    const std::vector<BrowseNode>* level = Level(parent);
    if (column != 0 || level == nullptr || row < 0 || row >= static_cast<int>(level->size())) {
        return {};
    }
    return createIndex(row, 0, parent.isValid() ? static_cast<quintptr>(parent.row()) + 1 : 0);
}

QModelIndex BrowseModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == 0) {
        return {};
    }
    return createIndex(static_cast<int>(child.internalId() - 1), 0, quintptr{0});
}

int BrowseModel::rowCount(const QModelIndex& parent) const {
    const std::vector<BrowseNode>* level = Level(parent);
    return level != nullptr ? static_cast<int>(level->size()) : 0;
}

int BrowseModel::columnCount(const QModelIndex&) const {
    return 1;
}

bool BrowseModel::hasChildren(const QModelIndex& parent) const {
    return rowCount(parent) > 0;
}

QVariant BrowseModel::data(const QModelIndex& index, int role) const {
    const BrowseNode* node = Node(index);
    if (node == nullptr) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(StoredTextToUtf8(node->Text));
        case Qt::DecorationRole:
            return (ArchiveOf(node).empty()
                        ? pictures_
                        : archivedPictures_)[static_cast<std::size_t>(node->Picture)];
        case Qt::ToolTipRole: {
            const std::filesystem::path folder = ArchiveOf(node);
            return folder.empty() ? QVariant()
                                  : QVariant(QStringLiteral("Archived in ") +
                                             QString::fromStdString(folder.string()));
        }
        default:
            return {};
    }
}

}  // namespace snx
