#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

class Button;
class KeyCommand;
class Menu;
class PageConnection;
class UserDefaults;
class View;
class ViewController;

// The QV text editor's own bars above the keyboard: the style bar and two
// rows of custom keys, the one chosen by the key-row switch shown (one set
// of bars serves every window size here); and the custom keys themselves, which type
// their text in the caret's look and are redefined by a long press. The
// bars ride in one accessory bar, made once, as wide as the editor.
class QVTextKeyBars {
public:
    static constexpr int kKeyCount = 26;
    static constexpr long kKeysPerRow = 13;
    static constexpr const char* kSelectedBarKey = "customKeysToolbarSelected";
    static constexpr const char* kFocusScript = "tinymce.activeEditor.focus();";
    static constexpr double kWideAccessoryHeight = 50;
    static constexpr double kNarrowAccessoryHeight = 40;
    // "customKey<n>", n the key's position.
    static std::string customKeyDefaultsKey(long key);

    // The key-row switch's tags.
    enum class Bar : long { KeysRow1 = 1, KeysRow2 = 2, Style = 3 };

    struct Host {
        // Types the key's text at the caret.
        std::function<void(const std::u16string& text)> insertKey{};
        std::function<void(std::shared_ptr<ViewController>)> present{};
        std::function<double()> viewWidth{};
        // Commands of other parts of the editor, by name (the arrow keys'
        // caret moves, the style bar's buttons).
        std::function<void(const std::string& command)> run{};
        // The menus the style bar's buttons open: alignment, pictures and
        // the editing commands.
        std::function<std::shared_ptr<Menu>()> alignKeyMenu{};
        std::function<std::shared_ptr<Menu>()> insertImageMenu{};
        std::function<std::shared_ptr<Menu>()> miscToolsMenu{};
        // The bar shown changed: the editor shows it again.
        std::function<void()> barsDidChange{};
    };

    // The style bar's buttons and the editor command each runs; the menu
    // buttons carry their menus instead.
    struct StyleKey {
        const char16_t* title;
        const char* symbol;
        const char* command;
        // 0 for a key's width.
        double width = 0;
    };
    static const std::vector<StyleKey>& styleKeys();
    // The style bar's button that runs `command`; null for none.
    std::shared_ptr<Button> styleButton(std::string_view command) const;
    const std::vector<std::shared_ptr<Button>>& styleButtons() const { return m_styleButtons; }
    const std::shared_ptr<Button>& styleAlign() const { return m_styleAlign; }
    const std::shared_ptr<Button>& insertImage() const { return m_insertImage; }
    const std::shared_ptr<Button>& showMiscToolsMenu() const { return m_showMiscToolsMenu; }

    QVTextKeyBars(PageConnection& page, UserDefaults& defaults, Host host);
    ~QVTextKeyBars();
    QVTextKeyBars(const QVTextKeyBars&) = delete;
    QVTextKeyBars& operator=(const QVTextKeyBars&) = delete;

    // A key's position in the list is its tag.
    const std::vector<std::shared_ptr<Button>>& customButtons() const { return m_customButtons; }
    const std::shared_ptr<View>& styleToolbar() const { return m_styleToolbar; }
    const std::shared_ptr<View>& keysToolbar1() const { return m_keysToolbar1; }
    const std::shared_ptr<View>& keysToolbar2() const { return m_keysToolbar2; }
    // The bar above the keyboard; null until removeFormBar made it.
    const std::shared_ptr<View>& inputAccessoryView() const { return m_accessory; }

    bool isDisplayingAlert() const { return m_displayingAlert; }
    bool removedFormBar() const { return m_removedFormBar; }

    // Makes the accessory bar once (50 points high in a view wider than 600
    // points, else 40) and puts the bars in it.
    void removeFormBar();
    // Lays the bars out anew for a window `width` points wide: keys that
    // do not fit on one line go on further lines, and the bar grows to hold
    // the lines of the one shown.
    void fitToWidth(double width);
    void toogleKeyboardToolbar(long tag);
    void showStyleToolBar();
    void hideStyleToolBar();

    void insertKeyFromKeyboardToolbar(const Button& key);
    // The state changes of one long press all arrive here; only the first
    // opens the key editor.
    void longPressInCustomKey(const Button& key);
    void setNewCustomKey(long index, const std::u16string& value);

    // The shared document commands and the four arrows, which move the caret.
    std::vector<std::shared_ptr<KeyCommand>> keyCommands(
        const std::map<std::string, std::function<void()>>& documentActions) const;

    // The copy of `text` for a single- or double-quoted script literal.
    static std::string escapeString(std::string_view text);

private:
    void initCustomButtons();
    // Places the keys and buttons in their bars and hangs the menus on the
    // style bar's menu buttons, each its own.
    void layoutBars();
    void selectBars(long tag);

    PageConnection& m_page;
    UserDefaults& m_defaults;
    Host m_host;
    std::shared_ptr<View> m_styleToolbar, m_keysToolbar1, m_keysToolbar2, m_accessory;
    std::vector<std::shared_ptr<Button>> m_customButtons;
    std::vector<std::shared_ptr<Button>> m_styleButtons;
    std::shared_ptr<Button> m_styleAlign, m_insertImage, m_showMiscToolsMenu;
    bool m_removingFormBar = false;
    bool m_removedFormBar = false;
    bool m_displayingAlert = false;
};

} // namespace folio
