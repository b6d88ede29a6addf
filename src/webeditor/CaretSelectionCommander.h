#pragma once

#include "platform/graphics/Geometry.h"
#include "webeditor/EditorCommandsByName.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

class Button;
class GestureRecognizer;
class ImageView;
class KeyCommand;
class PageConnection;
class View;
class WebView;

// Moving the caret and growing the selection without touching the text: the
// cursor pads of the keyboard bar, the arrow keys, and the caret and
// selection rows of the tools menus. Character and word moves are page
// scripts; line and document moves are the web view's own editing commands.
// A command that leaves text selected raises the edit menu beside it a
// little later. Also here: the spell-check walk, the page's automatic spell
// checking, the palm-rejection handle and the selection snapshot.
class CaretSelectionCommander {
public:
    static constexpr double kCharacterPanDelaySeconds = 0.013;
    static constexpr double kLinePanDelaySeconds = 0.04;
    static constexpr double kEditMenuDelaySeconds = 1.2;
    static constexpr double kLongPressSeconds = 0.3;
    // An upward pad pan may drift sideways this fast and still move up.
    static constexpr double kUpwardPanSidewaysTolerance = 10;
    static constexpr int kSpellWalkMaximumLines = 50000;
    // Beyond these the caret's x is off the edit menu's screen.
    static constexpr double kMenuLimitPortrait = 712;
    static constexpr double kMenuLimitLandscape = 974;
    static constexpr double kPalmHandleTop = 215;
    static constexpr double kPalmHandleBottomPortrait = 932;
    static constexpr double kPalmHandleBottomLandscape = 676;
    static constexpr double kPalmShieldOffset = 47;
    static constexpr double kPageControlOffset = -246;

    struct Host {
        std::function<bool()> isRTLLanguage{};
        std::function<bool()> isTypewriterMode{};
        std::function<bool()> isOrientationLandscape{};
        std::function<bool()> isEditing{};
        // The phone layout shows the selection snapshot; the tablet one does not.
        std::function<bool()> isPad{};
        // True when only a caret is set.
        std::function<bool()> hasSelection{};
        std::function<void()> updatePageUpDownControl{};
        std::function<void()> documentIsDirty{};
        // Hides the keyboard (the page loses focus).
        std::function<void()> endEditing{};
        // Where the edit menu is shown from.
        std::function<std::shared_ptr<View>()> view{};
        // The page's own view, whose points the page answers in, where it
        // does not fill the view above (rulers and bars over it): the
        // menu's point is carried from it into the view.
        std::function<std::shared_ptr<View>()> pageView{};
        // Makes the editor, whose commands the edit menu offers, the first
        // responder before the menu shows.
        std::function<void()> becomeFirstResponder{};
        std::function<void(double)> setContentOffsetY{};
        // A word (UTF-8) the spelling check stops at; by default the one
        // the system's dictionaries do not know.
        std::function<bool(std::string_view)> isMisspelled{};
    };

    // A pad and its four direction views.
    struct CursorPad {
        std::shared_ptr<View> pad;
        std::shared_ptr<View> left;
        std::shared_ptr<View> right;
        std::shared_ptr<View> up;
        std::shared_ptr<View> down;
    };

    // What differs between pages. By default the scripts of a page that
    // edits its own document with execCommand.
    struct PageScripts {
        // Deletes the selection as the page's editor deletes.
        std::string deleteSelection = "document.execCommand('delete');";
    };

    CaretSelectionCommander(PageConnection& page, Host host);
    CaretSelectionCommander(PageConnection& page, Host host, PageScripts scripts);
    ~CaretSelectionCommander();
    CaretSelectionCommander(const CaretSelectionCommander&) = delete;
    CaretSelectionCommander& operator=(const CaretSelectionCommander&) = delete;

    // Attaches the pads' gestures, once: while the main pad has none yet.
    // Holding a direction of the main or second pad repeats it.
    void attachCursorPadGestures(const CursorPad& magicCursor, const CursorPad& magicCursoriPhoneSmall,
                                 const CursorPad& magicCursor2);

    // Its highlight is the extend-selection switch of the line moves.
    Button& magicCursorButton() { return *m_magicCursorButton; }
    void setMagicCursorButton(std::shared_ptr<Button> button);

    // Directions; left and right swap in a right-to-left keyboard language.
    void magicCursorLeftTap();
    void magicCursorRightTap();
    void magicCursorUpTap() { cursorUp(); }
    void magicCursorDownTap() { cursorDown(); }
    void magicCursorLeft2Tap();
    void magicCursorRight2Tap();
    // Double tap: a caret becomes its word, a range collapses to its start;
    // the extend switch flips.
    void magicCursor2Tap();
    void magicCursorTap() {}

    void cursorForward();
    void cursorBack();
    void cursorUp() { moveLine("MoveUp", "MoveUpAndModifySelection"); }
    void cursorDown() { moveLine("MoveDown", "MoveDownAndModifySelection"); }
    void cursorFwd() { magicCursorRightTap(); }
    void cursorBwd() { magicCursorLeftTap(); }
    void cursorUpp() { cursorUp(); }
    void cursorDownn() { cursorDown(); }
    void cursorDown2() {}

    void moveToBeginOfDocument();
    void moveToEndOfDoc();
    void selectWord();
    void selectLine() { namedCommand("SelectLine", true); }
    void selectParagraph() { namedCommand("SelectParagraph", true); }
    void selectSentence() { namedCommand("SelectSentence", true); }
    void selectToEndOfDoc() { namedCommand("MoveToEndOfDocumentAndModifySelection", false); }
    void selectToStartOfDoc() { namedCommand("MoveToBeginningOfDocumentAndModifySelection", true); }
    void deleteForwardKey();

    // The caret and selection rows of the tools and cursor menus, under the
    // names those menus run them by; every editor on a web page answers them
    // the same way.
    void addCommandsByName(EditorCommandsByName::Commands& commands);

    // Raises the edit menu 1.2 s from now, beside a selected range; every
    // call starts the wait again. Nothing in typewriter mode.
    void showMenu();
    void showMenuTask();

    // Pad pans: one character or line move per quiet interval.
    void pan(GestureRecognizer& recognizer);
    // Word moves following a horizontal pan.
    void pan2(GestureRecognizer& recognizer);
    void panningDismissKeyboard(GestureRecognizer& recognizer);

    // The plain arrow keys, each running its direction on the commander
    // `target` answers when the key is pressed, since the commands may
    // outlive the editor. When it answers none as the commands are made (the
    // page not ready yet), they stand aside: the key goes on to the page,
    // which moves its caret itself once it can.
    static std::vector<std::shared_ptr<KeyCommand>> arrowKeyCommands(std::function<CaretSelectionCommander*()> target);
    void upArrow() { magicCursorUpTap(); }
    void downArrow() { magicCursorDownTap(); }
    void leftArrow() { magicCursorLeftTap(); }
    void rightArrow() { magicCursorRightTap(); }

    // Walks the caret down every line of the text so that the page's spell
    // checker sees all of it (at most 50000 lines), then returns.
    void checkDocSpelling();
    static void updateSCheck(WebView* webView, bool enabled);

    // The handle, the shield it drags and the page control that follows.
    void setPalmRejectionViews(std::shared_ptr<View> handle, std::shared_ptr<View> layer,
                               std::shared_ptr<View> pageUpDownView);
    void movePalmRejectionLayer(GestureRecognizer& recognizer);

    void addFakeTextSelectionView();
    void removeFakeTextSelectionView();
    const std::shared_ptr<ImageView>& fakeTextSelectionImageView() const { return m_fakeTextSelectionImageView; }
    // The page's selection-highlight view; this editor has none to give.
    std::shared_ptr<View> getTextSelectionView(View& webView) { (void)webView; return nullptr; }

    float lastPanX() const { return m_lastPanX; }
    float lastPanY() const { return m_lastPanY; }

    // The caret position answer "{x, y}"; anything else reads as (0, 0).
    static Point pointFromString(const std::string& text);
    // Where the edit menu points for a caret at `caret`; nothing when it
    // shows no menu.
    static std::optional<Point> menuPoint(Point caret, bool landscape);
    // The lines of the text as the platform's line enumeration counts them.
    static std::size_t lineCount(const std::u16string& text);
    // The place of the first misspelled word in the page's list of words
    // from the caret on.
    std::optional<std::size_t> nextMisspelling();

private:
    bool flag(const std::function<bool()>& question) const { return question && question(); }
    void moveLine(const char* command, const char* extendingCommand);
    void namedCommand(const char* command, bool showsMenu);
    void schedulePanMove(const char* selector, double delay, void (CaretSelectionCommander::*move)());
    void call(const std::function<void()>& step) const;

    PageConnection& m_page;
    // Reads serve the loop while they wait, and the editor may close meanwhile
    // and take this with it: a step after a read first looks whether it is
    // still there.
    std::shared_ptr<CaretSelectionCommander*> m_self;
    Host m_host;
    PageScripts m_scripts;
    std::shared_ptr<Button> m_magicCursorButton;
    std::shared_ptr<View> m_magicCursorPad;
    std::shared_ptr<View> m_palmHandle;
    std::shared_ptr<View> m_palmLayer;
    std::shared_ptr<View> m_pageUpDownView;
    std::shared_ptr<ImageView> m_fakeTextSelectionImageView;
    float m_lastPanX = 0;
    float m_lastPanY = 0;
    double m_palmRejectionLayerOffsetY = 0;
};

} // namespace folio
