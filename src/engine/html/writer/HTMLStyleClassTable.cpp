#include "engine/html/writer/HTMLStyleClassTable.h"

namespace folio {

namespace {

// CSS comes from font names and paragraph settings of the document. Inside a
// style element "<" could end the element ("</style>"), so it is written as
// the CSS escape of the same character, which reads back unchanged.
std::string cssSafeInStyleElement(const std::string& css)
{
    if (css.find('<') == std::string::npos)
        return css;
    std::string safe;
    safe.reserve(css.size() + 8);
    for (char c : css) {
        if (c == '<')
            safe += "\\3c ";
        else
            safe += c;
    }
    return safe;
}

} // namespace

std::string HTMLStyleClassTable::classForElement(const std::string& element, const std::string& css)
{
    std::string key;
    key.reserve(element.size() + 1 + css.size());
    key += element;
    key += '\0';
    key += css;
    auto [known, added] = m_classes.try_emplace(std::move(key));
    if (added) {
        std::vector<std::string>& styles = m_lookup[element];
        styles.push_back(css);
        known->second = element.substr(0, 1) + std::to_string(styles.size());
    }
    return known->second;
}

std::string HTMLStyleClassTable::styleBlock() const
{
    std::string block;
    for (const auto& [element, styles] : m_lookup) {
        for (std::size_t k = 0; k < styles.size(); ++k) {
            block += element;
            block += '.';
            block += element.substr(0, 1) + std::to_string(k + 1);
            block += " {";
            block += cssSafeInStyleElement(styles[k]);
            block += "}\n";
        }
    }
    return block;
}

} // namespace folio
