// The browse tree as an item model: headings and discs over the core's BrowseNode tree, texts
// decoded only when a view asks for them, so a large catalogue shows at once.
#pragma once

#include <QAbstractItemModel>
#include <QIcon>
#include <array>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "catalogue/browse_sort.h"
#include "catalogue/browse_tree.h"

namespace snx {

class BrowseModel final : public QAbstractItemModel {
    Q_OBJECT
  public:
    // pictures: LIST, CD, SOUND and ORPHAN, in that order.
    explicit BrowseModel(std::array<QIcon, 4> pictures, QObject* parent = nullptr);

    // Replaces every node.
    void SetTree(std::vector<BrowseNode> tree);
    void Clear() { SetTree({}); }
    // The discs with an archive, by identity, and their folders: marked in the tree.
    void SetArchived(std::map<std::string, std::filesystem::path> folders);
    const std::vector<BrowseNode>& Tree() const { return tree_; }
    // The archive folder of a disc node; empty for a heading or a disc without an archive.
    std::filesystem::path ArchiveOf(const BrowseNode* node) const;

    // Reorders the top level and every node's children; the views keep their selection.
    void Sort(const TextCompare& compare);

    // The node of an index, or null for the root or an index of another model.
    const BrowseNode* Node(const QModelIndex& index) const;
    // Changes a node's text in place (the node is not moved).
    void Rename(const QModelIndex& index, std::string text);
    void Remove(const QModelIndex& index);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;

  private:
    std::vector<BrowseNode>* Level(const QModelIndex& parent);
    const std::vector<BrowseNode>* Level(const QModelIndex& parent) const;

    std::array<QIcon, 4> pictures_;
    std::array<QIcon, 4> archivedPictures_;
    std::map<std::string, std::filesystem::path> archived_;
    std::vector<BrowseNode> tree_;
};

}  // namespace snx
