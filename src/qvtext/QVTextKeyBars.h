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
class PageConnection;
class UserDefaults;
class View;
class ViewController;

// The QV text editor's own bars above the keyboard: the style bar and two
// rows of custom keys (a phone has its own, smaller, set), the one chosen
// by the key-row switch shown; and the custom keys themselves, which type
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
        std::function<bool()> isPhone{};
        // Commands of other parts of the editor, by name (the arrow keys' caret moves).
        std::function<void(const std::string& command)> run{};
    };

    QVTextKeyBars(PageConnection& page, UserDefaults& defaults, Host host);
    ~QVTextKeyBars();
    QVTextKeyBars(const QVTextKeyBars&) = delete;
    QVTextKeyBars& operator=(const QVTextKeyBars&) = delete;

    // A key's position in the list is its tag.
    const std::vector<std::shared_ptr<Button>>& customButtons() const { return m_customButtons; }
    const std::shared_ptr<View>& styleToolbar() const { return m_styleToolbar; }
    const std::shared_ptr<View>& styleToolbariPhoneSmall() const { return m_styleToolbarPhone; }
    const std::shared_ptr<View>& keysToolbar1() const { return m_keysToolbar1; }
    const std::shared_ptr<View>& keysToolbar2() const { return m_keysToolbar2; }
    const std::shared_ptr<View>& keysToolbariPhone1() const { return m_keysToolbarPhone1; }
    const std::shared_ptr<View>& keysToolbariPhone2() const { return m_keysToolbarPhone2; }
    // The bar above the keyboard; null until removeFormBar made it.
    const std::shared_ptr<View>& inputAccessoryView() const { return m_accessory; }

    bool isDisplayingAlert() const { return m_displayingAlert; }
    bool removedFormBar() const { return m_removedFormBar; }

    // Makes the accessory bar once (50 points high in a view wider than 600
    // points, else 40) and puts the bars in it.
    void removeFormBar();
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
    void selectBars(long tag);

    PageConnection& m_page;
    UserDefaults& m_defaults;
    Host m_host;
    std::shared_ptr<View> m_styleToolbar, m_styleToolbarPhone, m_keysToolbar1, m_keysToolbar2, m_keysToolbarPhone1,
        m_keysToolbarPhone2, m_accessory;
    std::vector<std::shared_ptr<Button>> m_customButtons;
    bool m_removingFormBar = false;
    bool m_removedFormBar = false;
    bool m_displayingAlert = false;
};

} // namespace folio
