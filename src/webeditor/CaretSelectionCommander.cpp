#include "webeditor/CaretSelectionCommander.h"

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/KeyCommand.h"
#include "platform/ui/LongPressGestureRecognizer.h"
#include "platform/ui/MenuController.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/View.h"
#include "platform/text/SpellingDictionary.h"
#include "platform/web/WebView.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"
#include "webeditor/WordPattern.h"

#include <cmath>
#include <cstdlib>
#include <optional>
#include <unordered_map>

namespace folio {

namespace {

constexpr const char* kShowMenuTask = "showMenuTask";
const char* const kPanMoves[] = {"cursorFwd", "cursorBwd", "cursorUpp", "cursorDownn"};

constexpr const char* kCursorForward =
    "var sel = window.getSelection();if(sel.isCollapsed) {sel.modify('move', 'forward', 'character');} "
    "else {sel.modify('extend', 'forward', 'character');} scrollToView();";
constexpr const char* kCursorBack =
    "var sel = window.getSelection();if(sel.isCollapsed) {sel.modify('move', 'backward', 'character');} "
    "else {sel.modify('extend', 'backward', 'character');}scrollToView();";
constexpr const char* kWordForward = "rangy.getSelection().move('word', 1);";
constexpr const char* kWordBackward = "rangy.getSelection().move('word', -1);";
// The engine's own moves and selections work on what the page has laid out:
// a page that holds the end of a long document back brings it out first.
constexpr const char* kShowWholeDocument = "if (window.showWholeDocument) showWholeDocument();";
constexpr const char* kCollapseToStart = "var sel = window.getSelection();sel.collapseToStart(); scrollToView();";

} // namespace

CaretSelectionCommander::CaretSelectionCommander(PageConnection& page, Host host)
    : CaretSelectionCommander(page, std::move(host), PageScripts{})
{
}

CaretSelectionCommander::CaretSelectionCommander(PageConnection& page, Host host, PageScripts scripts)
    : m_page(page)
    , m_self(std::make_shared<CaretSelectionCommander*>(this))
    , m_host(std::move(host))
    , m_scripts(std::move(scripts))
    , m_magicCursorButton(std::make_shared<Button>())
{
}

CaretSelectionCommander::~CaretSelectionCommander()
{
    RunLoop::main().cancelPreviousPerformRequests(this);
}

void CaretSelectionCommander::call(const std::function<void()>& step) const
{
    if (step)
        step();
}

void CaretSelectionCommander::setMagicCursorButton(std::shared_ptr<Button> button)
{
    if (button)
        m_magicCursorButton = std::move(button);
}

void CaretSelectionCommander::attachCursorPadGestures(const CursorPad& magicCursor, const CursorPad& small,
                                                      const CursorPad& second)
{
    if (!magicCursor.pad || !magicCursor.pad->gestureRecognizers().empty())
        return;
    auto on = [this](void (CaretSelectionCommander::*action)()) {
        return [this, action](GestureRecognizer&) { (this->*action)(); };
    };
    auto attachPad = [&](const CursorPad& pad, bool repeating) {
        if (pad.pad) {
            // NOTE: the platform's pan has no finger count; the desktop drives
            // the pads with one pointer, as the pan wants.
            pad.pad->addGestureRecognizer(
                std::make_shared<PanGestureRecognizer>([this](GestureRecognizer& r) { pan(r); }));
            auto twoFingers = std::make_shared<TapGestureRecognizer>(on(&CaretSelectionCommander::magicCursorTap));
            twoFingers->setNumberOfTouchesRequired(2);
            pad.pad->addGestureRecognizer(twoFingers);
            auto doubleTap = std::make_shared<TapGestureRecognizer>(on(&CaretSelectionCommander::magicCursor2Tap));
            doubleTap->setNumberOfTapsRequired(2);
            pad.pad->addGestureRecognizer(doubleTap);
        }
        const std::pair<const std::shared_ptr<View>*, void (CaretSelectionCommander::*)()> directions[] = {
            {&pad.left, &CaretSelectionCommander::magicCursorLeftTap},
            {&pad.right, &CaretSelectionCommander::magicCursorRightTap},
            {&pad.up, &CaretSelectionCommander::magicCursorUpTap},
            {&pad.down, &CaretSelectionCommander::magicCursorDownTap},
        };
        for (const auto& [view, action] : directions) {
            if (!*view)
                continue;
            (*view)->addGestureRecognizer(std::make_shared<TapGestureRecognizer>(on(action)));
            if (repeating) {
                auto hold = std::make_shared<LongPressGestureRecognizer>(on(action));
                hold->setMinimumPressDuration(kLongPressSeconds);
                (*view)->addGestureRecognizer(hold);
            }
        }
    };
    attachPad(magicCursor, true);
    attachPad(small, false);
    attachPad(second, true);
}

void CaretSelectionCommander::magicCursorLeftTap()
{
    if (flag(m_host.isRTLLanguage))
        cursorForward();
    else
        cursorBack();
}

void CaretSelectionCommander::magicCursorRightTap()
{
    if (flag(m_host.isRTLLanguage))
        cursorBack();
    else
        cursorForward();
}

void CaretSelectionCommander::magicCursorLeft2Tap()
{
    m_page.send(kWordBackward);
}

void CaretSelectionCommander::magicCursorRight2Tap()
{
    m_page.send(kWordForward);
}

void CaretSelectionCommander::magicCursor2Tap()
{
    if (!m_host.hasSelection || m_host.hasSelection())
        selectWord();
    else
        m_page.send(kCollapseToStart);
    m_magicCursorButton->setHighlighted(!m_magicCursorButton->isHighlighted());
    if (m_magicCursorButton->isHighlighted())
        showMenu();
}

void CaretSelectionCommander::cursorForward()
{
    m_page.send(kCursorForward);
}

void CaretSelectionCommander::cursorBack()
{
    m_page.send(kCursorBack);
}

void CaretSelectionCommander::moveLine(const char* command, const char* extendingCommand)
{
    WebView* webView = m_page.isConnected() ? m_page.webView() : nullptr;
    if (!webView)
        return;
    m_page.send(kShowWholeDocument);
    webView->executeEditingCommand(m_magicCursorButton->isHighlighted() ? extendingCommand : command);
    call(m_host.updatePageUpDownControl);
    showMenu();
}

void CaretSelectionCommander::namedCommand(const char* command, bool showsMenu)
{
    WebView* webView = m_page.isConnected() ? m_page.webView() : nullptr;
    if (!webView)
        return;
    m_page.send(kShowWholeDocument);
    webView->executeEditingCommand(command);
    if (showsMenu)
        showMenu();
}

void CaretSelectionCommander::moveToBeginOfDocument()
{
    m_page.send("jumpCaretToTop();document.getElementById('content').scrollTop =0;");
}

void CaretSelectionCommander::moveToEndOfDoc()
{
    WebView* webView = m_page.isConnected() ? m_page.webView() : nullptr;
    // Without a page the caller's progress overlay stays for the caller.
    if (!webView)
        return;
    m_page.send(kShowWholeDocument);
    webView->executeEditingCommand("MoveToEndOfDocument");
    ProgressHUD::dismiss();
}

void CaretSelectionCommander::addCommandsByName(EditorCommandsByName::Commands& commands)
{
    commands["moveToBeginOfDocument"] = [this] { moveToBeginOfDocument(); };
    commands["moveToEndOfDoc"] = [this] { moveToEndOfDoc(); };
    commands["selectLine"] = [this] { selectLine(); };
    commands["selectParagraph"] = [this] { selectParagraph(); };
    commands["selectSentence"] = [this] { selectSentence(); };
    commands["selectToEndOfDoc"] = [this] { selectToEndOfDoc(); };
    commands["selectToStartOfDoc"] = [this] { selectToStartOfDoc(); };
    commands["showMenu"] = [this] { showMenu(); };
    commands["checkDocSpelling"] = [this] { checkDocSpelling(); };
    commands["addFakeTextSelectionView"] = [this] { addFakeTextSelectionView(); };
    commands["removeFakeTextSelectionView"] = [this] { removeFakeTextSelectionView(); };
}

void CaretSelectionCommander::selectWord()
{
    m_page.send(std::string("var sel = window.getSelection();if(sel.isCollapsed) {rangy.getSelection().expand('word', "
                            "{wordRegex: ") +
                WordPattern::kWordRegex +
                "});scrollToView();} else {sel.collapseToStart();} scrollToView();");
}

void CaretSelectionCommander::deleteForwardKey()
{
    m_page.send("var sel = window.getSelection();sel.modify('extend', 'forward', 'character'); " +
                m_scripts.deleteSelection + "  scrollToView();");
    call(m_host.updatePageUpDownControl);
    call(m_host.documentIsDirty);
}

void CaretSelectionCommander::showMenu()
{
    if (flag(m_host.isTypewriterMode))
        return;
    RunLoop::main().cancelPreviousPerformRequests(this, kShowMenuTask);
    RunLoop::main().performSelectorAfterDelay(this, kShowMenuTask, {}, kEditMenuDelaySeconds, [this] { showMenuTask(); });
}

Point CaretSelectionCommander::pointFromString(const std::string& text)
{
    std::u16string inner = toUtf16(text);
    std::erase_if(inner, [](char16_t c) { return c == u'{' || c == u'}'; });
    std::vector<std::u16string> parts = componentsSeparatedByString(inner, u",");
    if (parts.size() != 2)
        return {};
    return Point{doubleValue(parts[0]), doubleValue(parts[1])};
}

std::optional<Point> CaretSelectionCommander::menuPoint(Point caret, bool landscape)
{
    double x = caret.x;
    double y = caret.y;
    if (x > (landscape ? kMenuLimitLandscape : kMenuLimitPortrait)) {
        x = 50;
    } else {
        if (y < 0) {
            x += 8;
            y = 50;
        }
        if (x == 0)
            return std::nullopt;
    }
    return Point{x, y + 8};
}

void CaretSelectionCommander::showMenuTask()
{
    if (!m_host.hasSelection || m_host.hasSelection())
        return;
    const std::weak_ptr<CaretSelectionCommander*> self = m_self;
    const std::string caret = m_page.readString("getCaretEditorPosition()");
    if (self.expired())
        return;
    std::optional<Point> at = menuPoint(pointFromString(caret), flag(m_host.isOrientationLandscape));
    std::shared_ptr<View> view = m_host.view ? m_host.view() : nullptr;
    if (!at || !view)
        return;
    if (std::shared_ptr<View> page = m_host.pageView ? m_host.pageView() : nullptr; page && page != view)
        at = page->convertPointToView(*at, view.get());
    // The menu offers what the first responder can do: the editor's commands.
    call(m_host.becomeFirstResponder);
    MenuController::shared().showMenuFromView(view, Rect{*at, {1, 1}});
}

void CaretSelectionCommander::schedulePanMove(const char* selector, double delay, void (CaretSelectionCommander::*move)())
{
    for (const char* pending : kPanMoves)
        RunLoop::main().cancelPreviousPerformRequests(this, pending);
    RunLoop::main().performSelectorAfterDelay(this, selector, {}, delay, [this, move] { (this->*move)(); });
}

void CaretSelectionCommander::pan(GestureRecognizer& recognizer)
{
    auto* panning = dynamic_cast<PanGestureRecognizer*>(&recognizer);
    if (!panning || recognizer.state() != GestureRecognizerState::Changed)
        return;
    std::shared_ptr<View> view = m_host.view ? m_host.view() : nullptr;
    Point velocity = panning->velocityInView(view.get());
    const double vx = velocity.x;
    const double vy = velocity.y;
    auto store = [&] {
        m_lastPanY = static_cast<float>(vy);
        m_lastPanX = static_cast<float>(vx);
    };
    if (vx > 0 && vy == 0) {
        schedulePanMove("cursorFwd", kCharacterPanDelaySeconds, &CaretSelectionCommander::cursorFwd);
        store();
    } else if (vx < 0 && vy == 0) {
        schedulePanMove("cursorBwd", kCharacterPanDelaySeconds, &CaretSelectionCommander::cursorBwd);
        store();
    } else if (vy > 0 && vx == 0) {
        schedulePanMove("cursorDownn", kLinePanDelaySeconds, &CaretSelectionCommander::cursorDownn);
    } else if (vy < 0 && std::fabs(vx) <= kUpwardPanSidewaysTolerance) {
        schedulePanMove("cursorUpp", kLinePanDelaySeconds, &CaretSelectionCommander::cursorUpp);
    } else {
        store();
    }
}

void CaretSelectionCommander::pan2(GestureRecognizer& recognizer)
{
    auto* panning = dynamic_cast<PanGestureRecognizer*>(&recognizer);
    if (!panning || recognizer.state() != GestureRecognizerState::Changed)
        return;
    std::shared_ptr<View> view = m_host.view ? m_host.view() : nullptr;
    float x = static_cast<float>(panning->translationInView(view.get()).x);
    m_page.send(x > m_lastPanX ? kWordForward : kWordBackward);
    m_lastPanX = x;
}

void CaretSelectionCommander::panningDismissKeyboard(GestureRecognizer&)
{
    if (flag(m_host.isEditing))
        call(m_host.endEditing);
}

std::vector<std::shared_ptr<KeyCommand>> CaretSelectionCommander::arrowKeyCommands(
    std::function<CaretSelectionCommander*()> target)
{
    auto command = [target](const std::string& input, void (CaretSelectionCommander::*action)()) {
        return KeyCommand::make(input, KeyModifierNone, u"", [target, action](KeyCommand&) {
            if (CaretSelectionCommander* commander = target ? target() : nullptr)
                (commander->*action)();
        });
    };
    std::vector<std::shared_ptr<KeyCommand>> commands{command(kKeyInputUpArrow, &CaretSelectionCommander::upArrow),
                                                      command(kKeyInputDownArrow, &CaretSelectionCommander::downArrow),
                                                      command(kKeyInputLeftArrow, &CaretSelectionCommander::leftArrow),
                                                      command(kKeyInputRightArrow, &CaretSelectionCommander::rightArrow)};
    if (!target || !target()) {
        for (const std::shared_ptr<KeyCommand>& arrow : commands)
            arrow->setDisabled(true);
    }
    return commands;
}

std::size_t CaretSelectionCommander::lineCount(const std::u16string& text)
{
    std::size_t lines = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        Range line = lineRangeForRange(text, Range{at, 0});
        ++lines;
        at = line.location + line.length;
    }
    return lines;
}

void CaretSelectionCommander::checkDocSpelling()
{
    // The walk ends where the person was: every page keeps the caret here,
    // whether or not its caller saved it already.
    m_page.send("saveCaretSelection ();");
    m_page.send("jumpCaretToTop();");
    const std::weak_ptr<CaretSelectionCommander*> self = m_self;
    // Closed while a read waited: the progress overlay goes all the same.
    auto closed = [&self] {
        if (!self.expired())
            return false;
        ProgressHUD::dismiss();
        return true;
    };
    std::size_t lines = lineCount(toUtf16(m_page.readString("document.getElementById('content').innerText")));
    if (closed())
        return;
    std::size_t moves = std::min<std::size_t>(lines, kSpellWalkMaximumLines);
    for (std::size_t i = 0; i < moves; ++i)
        cursorDown();
    // The walk asked for the edit menu at every line; it is not wanted after it.
    RunLoop::main().cancelPreviousPerformRequests(this, kShowMenuTask);
    // As desktop editors do, the check stops at the next misspelled word
    // from where the person was, chosen; with none, the caret goes back.
    std::optional<std::size_t> misspelling = nextMisspelling();
    if (closed())
        return;
    if (misspelling)
        m_page.send(PageScript::call("folioSelectSpellingWord", {static_cast<long long>(*misspelling)}));
    double offset = m_page.readDouble("window.pageYOffset", 0);
    if (closed())
        return;
    if (m_host.setContentOffsetY)
        m_host.setContentOffsetY(offset);
    if (!misspelling)
        m_page.send("restoreCaretSelection ();");
    ProgressHUD::dismiss();
}

std::optional<std::size_t> CaretSelectionCommander::nextMisspelling()
{
    std::function<bool(std::string_view)> misspelled = m_host.isMisspelled;
    if (!misspelled) {
        SpellingDictionary* dictionary = SpellingDictionary::forThisSystem();
        if (!dictionary)
            return std::nullopt;
        misspelled = [dictionary](std::string_view word) { return dictionary->isMisspelled(word); };
    }
    // Words from the caret on, then from the top; each asked about once.
    std::string words = m_page.readString("folioSpellingWords()");
    std::unordered_map<std::string, bool> answers;
    std::size_t index = 0;
    for (std::size_t at = 0; at < words.size(); ++index) {
        std::size_t end = std::min(words.find('\n', at), words.size());
        std::string word = words.substr(at, end - at);
        at = end + 1;
        auto known = answers.find(word);
        bool wrong = known != answers.end() ? known->second : (answers[word] = misspelled(word));
        if (wrong)
            return index;
    }
    return std::nullopt;
}

void CaretSelectionCommander::updateSCheck(WebView* webView, bool enabled)
{
    if (webView)
        webView->setSpellCheckingEnabled(enabled);
}

void CaretSelectionCommander::setPalmRejectionViews(std::shared_ptr<View> handle, std::shared_ptr<View> layer,
                                                    std::shared_ptr<View> pageUpDownView)
{
    m_palmHandle = std::move(handle);
    m_palmLayer = std::move(layer);
    m_pageUpDownView = std::move(pageUpDownView);
}

void CaretSelectionCommander::movePalmRejectionLayer(GestureRecognizer& recognizer)
{
    if (!m_palmHandle)
        return;
    if (recognizer.state() == GestureRecognizerState::Began) {
        m_palmRejectionLayerOffsetY = m_palmHandle->frame().origin.y;
        return;
    }
    auto* panning = dynamic_cast<PanGestureRecognizer*>(&recognizer);
    if (recognizer.state() != GestureRecognizerState::Ended || !panning)
        return;
    std::shared_ptr<View> view = m_host.view ? m_host.view() : nullptr;
    double y = m_palmRejectionLayerOffsetY + panning->translationInView(view.get()).y;
    double bottom = flag(m_host.isOrientationLandscape) ? kPalmHandleBottomLandscape : kPalmHandleBottomPortrait;
    if (y > bottom)
        y = bottom;
    else if (y < kPalmHandleTop)
        y = kPalmHandleTop;
    auto moveTo = [](const std::shared_ptr<View>& moved, double top) {
        if (!moved)
            return;
        Rect frame = moved->frame();
        frame.origin.y = top;
        moved->setFrame(frame);
    };
    moveTo(m_palmHandle, y);
    moveTo(m_palmLayer, y + kPalmShieldOffset);
    moveTo(m_pageUpDownView, y + kPageControlOffset);
}

void CaretSelectionCommander::addFakeTextSelectionView()
{
    if (flag(m_host.isPad) || !m_host.hasSelection || m_host.hasSelection())
        return;
    std::shared_ptr<View> view = m_host.view ? m_host.view() : nullptr;
    if (!view)
        return;
    // A second snapshot replaces the first instead of leaving it behind.
    removeFakeTextSelectionView();
    // FIXME: the page offers no selection-highlight view, so the snapshot is
    // empty; only its frame and transparency are kept.
    std::shared_ptr<View> highlight = getTextSelectionView(*view);
    Rect frame = highlight ? Rect{{0, 0}, view->frame().size} : Rect{};
    frame.size.height += 23;
    m_fakeTextSelectionImageView = std::make_shared<ImageView>(nullptr, frame);
    m_fakeTextSelectionImageView->setAlpha(0.5);
    view->addSubview(m_fakeTextSelectionImageView);
}

void CaretSelectionCommander::removeFakeTextSelectionView()
{
    if (!m_fakeTextSelectionImageView)
        return;
    m_fakeTextSelectionImageView->removeFromSuperview();
    m_fakeTextSelectionImageView.reset();
}

} // namespace folio
