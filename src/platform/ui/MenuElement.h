#pragma once

#include <memory>
#include <string>

namespace folio {

// A titled entry of a menu: an action or a submenu.
class MenuElement : public std::enable_shared_from_this<MenuElement> {
public:
    MenuElement(std::u16string title, std::string symbolName) : m_title(std::move(title)), m_symbolName(std::move(symbolName)) {}
    virtual ~MenuElement() = default;

    const std::u16string& title() const { return m_title; }
    void setTitle(std::u16string title) { m_title = std::move(title); }
    // A system symbol's name ("text.alignleft"); empty for none.
    const std::string& symbolName() const { return m_symbolName; }

private:
    std::u16string m_title;
    std::string m_symbolName;
};

} // namespace folio
