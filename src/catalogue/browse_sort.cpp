#include "catalogue/browse_sort.h"

#include <algorithm>

namespace snx {

void SortBrowseTree(std::vector<BrowseNode>& tree, const TextCompare& compare) {
    std::stable_sort(tree.begin(), tree.end(), [&](const BrowseNode& a, const BrowseNode& b) {
        return compare(a.Text, b.Text) < 0;
    });
    for (BrowseNode& node : tree) {
        SortBrowseTree(node.Children, compare);
    }
}

}  // namespace snx
