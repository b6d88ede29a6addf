#pragma once

#include "platform/graphics/Color.h"
#include "platform/ui/Control.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace folio {

class Font;
class Image;
class Menu;

class Button : public Control {
public:
    using Control::Control;

    // A state without its own title or image shows the normal state's.
    void setTitle(std::u16string title, ControlState state = ControlState::Normal);
    std::u16string titleForState(ControlState state) const;
    std::u16string currentTitle() const { return titleForState(state()); }
    void setImage(std::shared_ptr<const Image> image, ControlState state = ControlState::Normal);
    std::shared_ptr<const Image> imageForState(ControlState state) const;
    std::shared_ptr<const Image> currentImage() const { return imageForState(state()); }
    // System symbol images are kept by name; the presenter maps names to icons.
    // A change shows at once (a button that shows a state by its symbol).
    void setSymbolName(std::string name);
    const std::string& symbolName() const { return m_symbolName; }
    // The face and colour the title is drawn in; none keeps the theme's.
    // A change shows at once.
    const std::shared_ptr<const Font>& titleFont() const { return m_titleFont; }
    void setTitleFont(std::shared_ptr<const Font> font);
    const std::optional<Color>& titleColor() const { return m_titleColor; }
    void setTitleColor(std::optional<Color> color);

    const std::shared_ptr<Menu>& menu() const { return m_menu; }
    void setMenu(std::shared_ptr<Menu> menu) { m_menu = std::move(menu); }
    bool showsMenuAsPrimaryAction() const { return m_showsMenuAsPrimaryAction; }
    void setShowsMenuAsPrimaryAction(bool shows) { m_showsMenuAsPrimaryAction = shows; }

    // A user's tap: touch down, then touch up inside, unless the button is
    // disabled or hidden. A button whose menu is its primary action opens the
    // menu instead. Answers whether the tap did anything.
    bool tap();
    // A touch that the button follows itself (one drawn by its own code):
    // highlighted while the finger is on it, a tap when lifted there.
    bool beginTrackingWithTouch(Point point) override;
    bool continueTrackingWithTouch(Point point) override;
    void endTrackingWithTouch(Point point) override;
    void cancelTrackingWithEvent() override;
    bool isMenuOpen() const { return m_menuOpen; }
    void setMenuOpen(bool open) { m_menuOpen = open; }

private:
    bool touchIsOnButton(Point point) const;

    std::map<ControlState, std::u16string> m_titles;
    std::map<ControlState, std::shared_ptr<const Image>> m_images;
    std::string m_symbolName;
    std::shared_ptr<const Font> m_titleFont;
    std::optional<Color> m_titleColor;
    std::shared_ptr<Menu> m_menu;
    bool m_showsMenuAsPrimaryAction = false;
    bool m_menuOpen = false;
};

} // namespace folio
