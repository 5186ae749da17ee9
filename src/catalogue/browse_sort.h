// Sorting the browse tree by node text, the top level and the children of every node, with a
// text comparison the caller gives (the user's locale in the program).
#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include "catalogue/browse_tree.h"

namespace snx {

// Negative, zero or positive as a sorts before, with or after b; texts are the stored bytes.
using TextCompare = std::function<int(std::string_view a, std::string_view b)>;

// Nodes of equal text keep their order, so sorting twice changes nothing.
void SortBrowseTree(std::vector<BrowseNode>& tree, const TextCompare& compare);

}  // namespace snx
