#pragma once

#include "markdown/MEKeySets.h"
#include "markdown/SHTextView.h"
#include "platform/foundation/NotificationCenter.h"
#include "tools/specialchars/SpecialCharsPickerDelegate.h"

#include <functional>
#include <memory>
#include <optional>

namespace folio {

class JOTTextCounter;
class Label;
class MDSpecialCharsPickerController;
class MEFindReplaceBar;
class MEKeyboardToolbar;
class METoolbarButton;
class NavigationController;
struct MEMenuItemSpec;
class MEMarkdownSyntaxStorage;
class MEMarkdownTextViewDelegateProxy;
class ScalingTextStorage;

// The text view of the Markdown, plain-text and TeX editor: a search text view
// over the highlighting storage, seen through a scaling storage so that the
// document's zoom reaches the text without touching what is saved. Its
// delegate hears every call through a proxy that applies the editor's typing
// rules (MEMarkdownTextViewDelegateProxy). It moves the caret for the key
// bar's arrows, keeping the column across runs of up and down moves, wraps
// the selection in markup, and shows the live character and word counter.
class MEMarkdownTextView : public SHTextView, public MDSpecialCharsPickerDelegate {
public:
    // The platform's text-layout directions, as the vertical moves store them.
    enum class VerticalDirection { Up = 4, Down = 5 };
    // The settings key that says whether the word counter shows.
    static constexpr const char* kWordCounterVisibleKey = "wordCounterVisible";

    MEMarkdownTextView(Rect frame, bool usesTeXFormat, UserDefaults* defaults = nullptr);
    ~MEMarkdownTextView() override;

    void setIsTeXFormat(bool isTeX);
    bool isTeXFormat() const { return m_isTeXFormat; }

    MEMarkdownSyntaxStorage& syntaxStorage() { return *m_syntaxStorage; }
    void setScale(double scale);

    // The delegate is reached through the proxy, which stays the view's own.
    void setDelegate(std::weak_ptr<TextViewDelegate> delegate);
    std::shared_ptr<TextViewDelegate> delegateTarget() const;

    // --- Markup around the selection ---
    void wrapSelectedRangeWithString(const std::u16string& mark);
    // The selected text ends up between the two, still selected; with nothing
    // selected the caret ends between them.
    void wrapSelectedRangeWithStartString(const std::u16string& start, const std::u16string& end);
    void setSelectionRange(Range range);

    // --- The key bar's arrows ---
    void moveForward();
    void moveBackward();
    void moveUp();
    void moveDown();
    // The position on the adjacent line nearest the column where the current
    // run of vertical moves began; the position itself when there is none.
    std::size_t closestPositionToPosition(std::size_t position, VerticalDirection direction) const;
    bool isNewVerticalMovementForPosition(std::size_t position, VerticalDirection direction) const;

    // --- The word counter ---
    void showWordCounter();
    void hideWordCounter();
    const std::shared_ptr<JOTTextCounter>& textCounter() const { return m_textCounter; }
    const std::shared_ptr<Label>& counterLabel() const { return m_counterLabel; }

    // The room around the text: on a tablet the page margins of the settings
    // ("markdownPageMarginLeft" and "...Right", in centimetres), elsewhere
    // and for a side without a setting a fixed border.
    void applyPageInsets(bool tablet);
    // Takes the look of the text, the paper and the margins from the
    // settings again and restyles the whole text with it.
    void reloadTextStyleSettings();

    // --- The key bar (MEMarkdownTextViewKeys.cpp) ---
    // New keys for Markdown and plain text, or for TeX, in the layout of the
    // current device.
    std::vector<std::shared_ptr<METoolbarButton>> buttons();
    std::vector<std::shared_ptr<METoolbarButton>> texButtons();
    // Makes the key bar the input accessory when there is none yet.
    void installKeyBar();
    void pressKey(const MEKeySpec& key, METoolbarButton& sender);
    std::shared_ptr<METoolbarButton> createButtonWithTitle(std::u16string title, std::function<void()> handler);
    std::shared_ptr<METoolbarButton> createButtonWithTitleAndBackgroundColor(std::u16string title, Color color,
                                                                             std::function<void()> handler);
    std::shared_ptr<METoolbarButton> createButtonWithTitleAndImage(std::u16string title, std::string image,
                                                                   std::function<void()> handler);
    std::shared_ptr<METoolbarButton> createButtonWithTitleAndBackgroundImage(std::u16string title, std::string image,
                                                                             std::function<void()> handler);

    // --- The find and replace bar ---
    void showSearchTextMode();
    void hideSearchTextMode();
    const std::shared_ptr<MEFindReplaceBar>& searchAccessoryView() const { return m_searchAccessoryView; }

    // --- Insertion menus (MEMarkdownTextViewMenus.cpp) ---
    void showStyleKeyMenu(METoolbarButton& sender) { showInsertionMenu(MEKeyMenu::Style, sender); }
    void showHeaderKeyMenu(METoolbarButton& sender) { showInsertionMenu(MEKeyMenu::Headers, sender); }
    void showExtraMarkupsInsertMenu(METoolbarButton& sender) { showInsertionMenu(MEKeyMenu::ExtraMarkups, sender); }
    void showPairsKeyMenu(METoolbarButton& sender) { showInsertionMenu(MEKeyMenu::Pairs, sender); }
    void showCharsKeyMenu(METoolbarButton& sender) { showInsertionMenu(MEKeyMenu::Characters, sender); }
    void showtexStyleKeyMenu(METoolbarButton& sender) { showInsertionMenu(MEKeyMenu::TeXStyle, sender); }
    void showtexMathKeyMenu(METoolbarButton& sender) { showInsertionMenu(MEKeyMenu::TeXMath, sender); }
    void showtexPairsKeyMenu(METoolbarButton& sender) { showInsertionMenu(MEKeyMenu::TeXPairs, sender); }
    void showExtraTeXMarkupsInsertMenu(METoolbarButton& sender) { showInsertionMenu(MEKeyMenu::ExtraTeXMarkups, sender); }
    void showInsertionMenu(MEKeyMenu menu, METoolbarButton& sender);
    // Opens the special-characters picker, or closes it when it is on screen.
    void showSymbolsKeyMenu(METoolbarButton& sender);
    void performMenuItem(const MEMenuItemSpec& item);
    const std::shared_ptr<MDSpecialCharsPickerController>& specialCharPicker() const { return m_specialCharPicker; }
    bool isSpecialCharPickerOnScreen() const;

    void specialCharsOptionSelected(const std::u16string& option, bool isEmoji) override;
    void dismissPopoverAnimated(bool) override {}

    // The document is closing: the counter stops.
    void willCloseDocument();
    bool isClosingDocument() const { return m_isClosingDocument; }

protected:
    bool willBecomeFirstResponder() override;
    void didMoveToSuperview() override;
    void setFrame(const Rect& frame) override;

private:
    MEMarkdownTextView(Rect frame, bool usesTeXFormat, UserDefaults* defaults,
                       std::shared_ptr<MEMarkdownSyntaxStorage> syntaxStorage);
    void verticalMove(VerticalDirection direction);
    void textCounterDidUpdateCount(const UserInfo& userInfo);
    // Centred near the top of the text, over it.
    Rect counterFrame() const;
    std::vector<std::shared_ptr<METoolbarButton>> buttonsForKeys(const std::vector<MEKeySpec>& keys);
    std::shared_ptr<MEKeyboardToolbar> makeKeyBar();
    // The popover anchor of a key: where it shows in the bar after scrolling.
    Rect anchorRectForKey(const METoolbarButton& sender) const;
    void dismissSpecialCharPicker();

    UserDefaults& defaults() const;

    UserDefaults* m_defaults;
    std::shared_ptr<MEMarkdownSyntaxStorage> m_syntaxStorage;
    std::shared_ptr<MEMarkdownTextViewDelegateProxy> m_delegateProxy;
    bool m_isTeXFormat = false;
    bool m_isClosingDocument = false;

    VerticalDirection m_verticalMoveDirection = VerticalDirection::Down;
    std::optional<Rect> m_verticalMoveStartCaretRect;
    Rect m_verticalMoveLastCaretRect;

    std::shared_ptr<MEFindReplaceBar> m_searchAccessoryView;
    std::shared_ptr<MDSpecialCharsPickerController> m_specialCharPicker;
    std::weak_ptr<NavigationController> m_specialCharNavigation;

    std::shared_ptr<JOTTextCounter> m_textCounter;
    std::shared_ptr<Label> m_counterLabel;
    ObserverToken m_counterObserver = 0;
    std::uint64_t m_storageObserver = 0;
    // Counter updates arrive through posted work, which checks this first.
    std::shared_ptr<int> m_lifetime = std::make_shared<int>(0);
};

} // namespace folio
