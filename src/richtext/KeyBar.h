#pragma once

#include "platform/graphics/Geometry.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace folio {

class Button;
class Menu;
class PageConnection;
class UserDefaults;
class View;
class ViewController;
struct StyleToolbar;

// The editor's own key row above the text, 44 points tall: the style bar and
// two rows of custom keys stacked, the chosen one on top. Each custom key
// types its text in the caret's font, size, colour and emphasis; a long
// press redefines it.
class KeyBar {
public:
    static constexpr double kRowHeight = 44;
    static constexpr long kRowTag = 55555;
    static constexpr int kKeyCount = 26;
    static constexpr const char* kSelectedBarKey = "customKeysToolbarSelected";
    static constexpr const char* kFocusScript = "document.getElementById('content').focus();";
    // The stored text of key n is under "customKey<n>".
    static std::string customKeyDefaultsKey(long key);

    enum class Bar : long { KeysRow1 = 1, KeysRow2 = 2, Style = 3 };

    struct Host {
        std::function<void()> documentIsDirty{};
        // The largest size in the selection, in the page's pixels.
        std::function<int()> largestFontSize{};
        std::function<bool()> isRTLLanguage{};
        std::function<bool()> isInMultitaskingMode{};
        // A footnote or comment editor is open: the row goes without bars.
        std::function<bool()> isHTMLObjectPopoverVisible{};
        std::function<void(std::shared_ptr<ViewController>)> present{};
        std::function<double()> viewWidth{};
        // A style bar button was pressed (the emphasis, size and font keys).
        std::function<void(const Button&)> styleButtonPressed{};
        // The alignment keys' menu.
        std::function<std::shared_ptr<Menu>()> alignKeyMenu{};
        // The font-name button opens the text-style menu, the size button
        // the font-size picker, each anchored at the button.
        std::function<void(Button&)> showTextStyleMenu{};
        std::function<void(Button&)> showFontSizeMenu{};
        // The row was rebuilt or its top bar changed: whoever shows it shows it again.
        std::function<void()> rowDidChange{};
    };

    // Where the page goes above a keyboard whose top is at the given point.
    struct EditorGeometry {
        double webViewY = 0;
        double webViewHeight = 0;
        double pageHeight = 0;
    };

    KeyBar(PageConnection& page, UserDefaults& defaults, StyleToolbar& styleButtons, Host host);
    ~KeyBar();
    KeyBar(const KeyBar&) = delete;
    KeyBar& operator=(const KeyBar&) = delete;

    // Entry 0 repeats key 1, so that entry n is key n.
    const std::vector<std::shared_ptr<Button>>& customButtons() const { return m_customButtons; }
    const std::shared_ptr<View>& styleToolbar() const { return m_styleToolbar; }
    const std::shared_ptr<View>& keysToolbar1() const { return m_keysToolbar1; }
    const std::shared_ptr<View>& keysToolbar2() const { return m_keysToolbar2; }
    // The buttons at each bar's end that bring a bar to the top, tagged as
    // toogleKeyboardToolbar takes them (1, 2, 3), one set per bar.
    const std::vector<std::shared_ptr<Button>>& barSwitches() const { return m_barSwitches; }
    // The style bar's menu keys: the style menu ("¶") and the cursor
    // commands' menu. Their menus come from the editor's tools, made after
    // the bar: until given, the keys do nothing.
    const std::shared_ptr<Button>& otherCommandsKey() const { return m_otherCommandsKey; }
    const std::shared_ptr<Button>& miscToolsKey() const { return m_miscToolsKey; }
    void setToolMenus(std::function<void(Rect keyFrame)> showOtherCommandsMenu, std::shared_ptr<Menu> miscToolsMenu);
    // The style bar's panel keys: the style panel, the text tools panel, the
    // insert panel and the insert image panel, each opened at its key (its
    // frame in the style bar).
    enum class Panel { Style, TextTools, InsertItem, InsertImage };
    const std::shared_ptr<Button>& panelKey(Panel panel) const { return m_panelKeys[static_cast<size_t>(panel)]; }
    void setPanels(std::function<void(Panel, Rect keyFrame)> showPanel) { m_showPanel = std::move(showPanel); }
    // The row shown now; null in multitasking mode or before the first build.
    const std::shared_ptr<View>& systemAKRow() const { return m_row; }
    // The bar on top of the row.
    std::shared_ptr<View> topBar() const;

    bool isDisplayingAlert() const { return m_displayingAlert; }
    bool removedFormBar() const { return m_removedFormBar; }
    void setRemovedFormBar(bool removed) { m_removedFormBar = removed; }

    void removeFormBar();
    void bringCustomKeyboardToFront();
    void toogleKeyboardToolbar(long tag);
    void showStyleToolBar();
    void hideStyleToolBar();

    // The long press's state changes all arrive here; only the first opens
    // the key editor.
    void longPressInCustomKey(const Button& key);
    void setNewCustomKey(long key, const std::u16string& text);
    void insertKeyFromKeyboardToolbar(const Button& key);

    static EditorGeometry editorGeometry(double keyboardTop, bool pad);
    // Fits the page above the keyboard; answers where the web view goes.
    EditorGeometry adjustEditorHeights(double keyboardTop, bool pad, bool hardwareKeyboard, long editorScrollOffset);

private:
    void initCustomButtons();
    // Places the keys, the style buttons and the bar switches in their bars.
    void layoutBars();
    void stackBars(View& row);
    // A row narrower than a bar keeps the bar's switches on screen at its
    // right end, over the keys that do not fit, so that the other bars can
    // always be reached.
    void fitSwitchesToWidth(double width);
    void rowDidChange() const;

    PageConnection& m_page;
    UserDefaults& m_defaults;
    StyleToolbar& m_styleButtons;
    Host m_host;
    std::shared_ptr<View> m_styleToolbar;
    std::shared_ptr<View> m_keysToolbar1;
    std::shared_ptr<View> m_keysToolbar2;
    std::shared_ptr<View> m_row;
    std::vector<std::shared_ptr<Button>> m_customButtons;
    // The key that carries the hint until it is redefined, and the hint: its
    // markup is the editor's own and goes into the page as markup.
    size_t m_hintKey = 0;
    std::u16string m_hint;
    std::vector<std::shared_ptr<Button>> m_barSwitches;
    // Where each bar's first switch sits when the whole bar fits.
    std::vector<double> m_switchesX;
    std::vector<std::weak_ptr<View>> m_hiddenForWidth;
    std::shared_ptr<Button> m_otherCommandsKey = std::make_shared<Button>();
    std::shared_ptr<Button> m_miscToolsKey = std::make_shared<Button>();
    std::function<void(Rect)> m_showOtherCommandsMenu;
    std::array<std::shared_ptr<Button>, 4> m_panelKeys{std::make_shared<Button>(), std::make_shared<Button>(),
                                                      std::make_shared<Button>(), std::make_shared<Button>()};
    std::function<void(Panel, Rect)> m_showPanel;
    bool m_removingFormBar = false;
    bool m_removedFormBar = false;
    bool m_displayingAlert = false;
};

} // namespace folio
