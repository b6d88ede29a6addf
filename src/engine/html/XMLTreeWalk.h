#pragma once

#include <libxml/tree.h>

#include <vector>

namespace folio {

// Visits a list of libxml2 nodes and their descendants in document order
// without recursion, so that a document nested deeper than the stack allows
// is walked all the same. `enter(node)` answers whether to walk the node's
// children; `leave(node)` runs after them, for every node entered that way.
template <typename Enter, typename Leave>
void walkXMLTree(xmlNode* first, Enter&& enter, Leave&& leave)
{
    std::vector<xmlNode*> ancestors;
    xmlNode* node = first;
    while (node) {
        if (enter(node)) {
            if (node->children) {
                ancestors.push_back(node);
                node = node->children;
                continue;
            }
            leave(node);
        }
        while (!node->next && !ancestors.empty()) {
            node = ancestors.back();
            ancestors.pop_back();
            leave(node);
        }
        node = node->next;
    }
}

} // namespace folio
