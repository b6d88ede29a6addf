#pragma once

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace folio {

// The style classes of a whole HTML document: each distinct CSS text of an
// element gets one class, numbered in order of first use, so that paragraphs
// that look alike share a class and the body stays small.
class HTMLStyleClassTable {
public:
    // The class of the CSS for the element: its first letter and the 1-based
    // number of the CSS among the element's ("d1", "s3", "u2"). Headings share
    // the letter "h" but each heading element counts on its own.
    std::string classForElement(const std::string& element, const std::string& css);

    // One line "element.class {css}" per class, elements in ascending order
    // and classes in order of first use.
    std::string styleBlock() const;

    bool isEmpty() const { return m_lookup.empty(); }
    void clear()
    {
        m_lookup.clear();
        m_classes.clear();
    }

private:
    std::map<std::string, std::vector<std::string>> m_lookup;
    // The class already given to each element and CSS ("p" "\0" css), so
    // that a document with many styles finds one without a search.
    std::unordered_map<std::string, std::string> m_classes;
};

} // namespace folio
