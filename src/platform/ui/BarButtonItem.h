#pragma once

#include <functional>
#include <memory>
#include <string>

namespace folio {

class Image;
class Menu;
class View;

enum class BarButtonSystemItem { None, FixedSpace, FlexibleSpace };
enum class BarButtonItemStyle { Plain, Done };

// An item of a navigation bar or tool row: a title, a symbol image or a custom
// view, with an action or a menu.
class BarButtonItem : public std::enable_shared_from_this<BarButtonItem> {
public:
    using Handler = std::function<void(BarButtonItem&)>;

    BarButtonItem() = default;
    static std::shared_ptr<BarButtonItem> withTitle(std::u16string title, Handler action);
    static std::shared_ptr<BarButtonItem> withSymbol(std::string symbolName, Handler action);
    static std::shared_ptr<BarButtonItem> withCustomView(std::shared_ptr<View> view);
    static std::shared_ptr<BarButtonItem> fixedSpace(double width);
    static std::shared_ptr<BarButtonItem> flexibleSpace();

    const std::u16string& title() const { return m_title; }
    void setTitle(std::u16string title);
    const std::string& symbolName() const { return m_symbolName; }
    void setSymbolName(std::string symbolName);
    // The symbol's size in points; 0 leaves it to the platform.
    double symbolPointSize() const { return m_symbolPointSize; }
    void setSymbolPointSize(double points);
    const std::shared_ptr<const Image>& image() const { return m_image; }
    void setImage(std::shared_ptr<const Image> image);
    const std::shared_ptr<View>& customView() const { return m_customView; }
    void setCustomView(std::shared_ptr<View> view);
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    const std::shared_ptr<Menu>& menu() const { return m_menu; }
    void setMenu(std::shared_ptr<Menu> menu);
    void setAction(Handler action) { m_action = std::move(action); }
    bool hasAction() const { return static_cast<bool>(m_action); }

    long tag() const { return m_tag; }
    void setTag(long tag) { m_tag = tag; }
    double width() const { return m_width; }
    void setWidth(double width) { m_width = width; }
    BarButtonSystemItem systemItem() const { return m_systemItem; }
    BarButtonItemStyle style() const { return m_style; }
    void setStyle(BarButtonItemStyle style) { m_style = style; }
    bool isHidden() const { return m_hidden; }
    void setHidden(bool hidden);

    // A user's tap: runs the action, or opens the menu when there is no
    // action. Disabled, hidden and spacer items do nothing. Answers whether
    // anything happened.
    bool tap();

private:
    void changed();

    std::u16string m_title;
    std::string m_symbolName;
    double m_symbolPointSize = 0;
    std::shared_ptr<const Image> m_image;
    std::shared_ptr<View> m_customView;
    bool m_enabled = true;
    bool m_hidden = false;
    std::shared_ptr<Menu> m_menu;
    Handler m_action;
    long m_tag = 0;
    double m_width = 0;
    BarButtonSystemItem m_systemItem = BarButtonSystemItem::None;
    BarButtonItemStyle m_style = BarButtonItemStyle::Plain;
};

} // namespace folio
