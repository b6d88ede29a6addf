#pragma once

#include <regex>
#include <string>
#include <vector>

namespace folio::test {

// One branch as the program writes it.
inline std::string branch(int id, int parent, int level, const std::string& title)
{
    std::string number = std::to_string(id);
    return "<li class='tree-branch branch-level-" + std::to_string(level) + "' data-id='" + number +
           "' data-parent='" + std::to_string(parent) + "' data-level='" + std::to_string(level) +
           "' style='z-index: 10; --tree-sortable-branch-left-shift: 0px; --tree-sortable-children-left-shift: 0px;'>"
           "<div class='contents'><span class='branch-path' style='display: none;'></span><div class='branch-wrapper'>"
           "<div class='left-sidebar'><div class='branch-drag-handler ui-sortable-handle' contenteditable=false>"
           "\u25CF</div><div class='branch-title' id='" +
           number + "'>" + title + "</div></div></div></div><span class='children-bus' style='height:1px;'></span></li>";
}

// The tree of a stored outline, branch by branch in list order, as
// "id/parent/level title"; the level class must agree with data-level.
inline std::vector<std::string> treeOf(const std::string& page)
{
    static const std::regex item("<li class=\"tree-branch branch-level-(\\d+)[^\"]*\" data-id=\"(\\d+)\" "
                                 "data-parent=\"(\\d+)\" data-level=\"(\\d+)\"");
    static const std::regex title("class=\"branch-title\" id=\"(\\d+)\">(.*?)</div>");
    std::vector<std::string> tree;
    for (auto it = std::sregex_iterator(page.begin(), page.end(), item); it != std::sregex_iterator(); ++it) {
        const std::smatch& match = *it;
        std::smatch heading;
        std::string rest = page.substr(static_cast<size_t>(match.position(0)));
        std::string text = std::regex_search(rest, heading, title) ? heading[2].str() : "?";
        if (heading.size() > 1 && heading[1].str() != match[2].str())
            text += " (title id " + heading[1].str() + ")";
        if (match[1].str() != match[4].str())
            text += " (class level " + match[1].str() + ")";
        tree.push_back(match[2].str() + "/" + match[3].str() + "/" + match[4].str() + " " + text);
    }
    return tree;
}


using testing_support::ScratchFolder;
using testing_support::writeFile;

} // namespace folio::test
