#include "webeditor/WebEditorController.h"

#include "platform/ui/Presenter.h"

#include "documents/TextDocument.h"
#include "foundation/system/LinkDestination.h"
#include "platform/docframework/DKDocumentAppController.h"
#include "platform/foundation/AppFolders.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/ApplicationState.h"
#include "platform/ui/BarContainerView.h"
#include "platform/ui/Label.h"
#include "platform/ui/MenuController.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/web/WebView.h"
#include "tools/DocumentSnapshot.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

namespace folio {

namespace {

constexpr const char* kLoadSelector = "loadHTMLDocument";

} // namespace

WebEditorController::WebEditorController(TextDocument& document, std::unique_ptr<PageDialect> dialect,
                                         WebViewFactory factory, LinkOpener openLink)
    : m_document(&document)
    , m_dialect(std::move(dialect))
    , m_factory(std::move(factory))
    , m_openLink(std::move(openLink))
    , m_dirty([this] { return m_document != nullptr && !m_pageError; },
              [this] { m_document->updateChangeCount(DKDocument::ChangeKind::Done); })
    , m_undo(m_connection, *m_dialect, m_dirty)
    , m_bridge(m_connection, *m_dialect, *this)
{
    setTitle(toUtf16(document.localizedName()));
    NotificationCenter& center = NotificationCenter::defaultCenter();
    m_backgroundObserver = center.addObserver(kApplicationDidEnterBackgroundNotification, nullptr,
                                              [this](const Notification&) { applicationWillEnterBackground(); });
    m_foregroundObserver = center.addObserver(kApplicationWillEnterForegroundNotification, nullptr,
                                              [this](const Notification&) { willEnterForeground(); });
    MenuController* menu = &MenuController::shared();
    // Only the menu over this editor's own page is the editor's to fill.
    auto ownsMenu = [this, menu] {
        std::shared_ptr<View> target = menu->targetView();
        std::shared_ptr<View> own = viewIfLoaded();
        return target && own && (target == own || target->isDescendantOfView(own.get()));
    };
    m_menuWillShowObserver =
        center.addObserver(kMenuControllerWillShowMenuNotification, menu, [this, ownsMenu](const Notification&) {
            if (!ownsMenu())
                return;
            // The overlay would stand between the user and the menu.
            if (ProgressHUD::isVisible())
                ProgressHUD::dismiss();
            updateContextualMenu();
        });
    m_menuDidHideObserver =
        center.addObserver(kMenuControllerDidHideMenuNotification, menu, [this, ownsMenu](const Notification&) {
            if (ownsMenu())
                updateContextualMenu();
        });
}

WebEditorController::~WebEditorController()
{
    NotificationCenter::defaultCenter().removeObserver(m_backgroundObserver);
    NotificationCenter::defaultCenter().removeObserver(m_foregroundObserver);
    NotificationCenter::defaultCenter().removeObserver(m_menuWillShowObserver);
    NotificationCenter::defaultCenter().removeObserver(m_menuDidHideObserver);
    RunLoop::main().cancelPreviousPerformRequests(this);
    m_bridge.beginClosing();
    m_connection.disconnect();
    if (m_webView)
        m_webView->setDelegate(nullptr);
}

WebView* WebEditorController::ensureWebView()
{
    if (m_webView || m_pageError)
        return m_webView.get();
    Result<std::unique_ptr<WebView>> made = DKWebViewController::makeWebView(m_factory, Rect{{0, 0}, m_size});
    if (!made) {
        m_pageError = made.error();
        TELog(TELogLevelError, "No editing page: " + m_pageError->message);
        return nullptr;
    }
    m_webView = std::move(*made);
    // The view shows before its page loads: nothing typed into it then may
    // be lost.
    m_webView->holdTypedKeys();
    m_webView->setHeldKeyPacer([this] {
        RunLoop::main().runUntil([this] { return pageHasTakenTheKeys(); }, kKeyTakeWaitSeconds);
    });
    m_webView->setDelegate(&m_bridge);
    m_connection.connect(m_webView.get());
    return m_webView.get();
}

void WebEditorController::loadView()
{
    // The page with room around it for the editor's bars: rulers and
    // banners above, the key row below, page buttons over it.
    auto container = std::make_shared<BarContainerView>(kDefaultFrame);
    container->setContentView(DKWebViewController::viewShowing(ensureWebView(), kDefaultFrame));
    setView(container);
    if (m_pageError)
        showPageError(*m_pageError);
    else
        // Keys typed before the page is ready must reach the view, which
        // holds them for the page.
        pageTakesTheKeyboard();
}

bool WebEditorController::pageTakesTheKeyboard()
{
    std::shared_ptr<View> page = m_forPreviewGeneration ? nullptr : pageView();
    return page && Presenter::current().viewMayTakeKeyboardFocus(*page);
}

void WebEditorController::pageCannotBeEdited(const std::string& reason)
{
    showPageError(Error{kErrorDomain, PageNotReady, "The editing page could not be loaded: " + reason});
}

void WebEditorController::showPageError(const Error& error)
{
    if (!m_pageError || m_pageError->message != error.message)
        TELog(TELogLevelError, "No editing page: " + error.message);
    m_pageError = error;
    if (m_webView)
        m_webView->releaseTypedKeys(WebView::HeldKeys::Discard);
    BarContainerView* container = loadedBarContainer();
    if (!container)
        return;
    // The page leaves the window: a page that is not ready would still take
    // keys, and what it took could never reach the file.
    auto message = std::make_shared<Label>(container->contentFrame());
    message->setText(toUtf16(Localization::localizedString("This document cannot be edited here.") + " " +
                             error.message));
    message->setNumberOfLines(0);
    message->setTextAlignment(TextAlignment::Center);
    container->setContentView(std::move(message));
    container->reloadBars();
}

BarContainerView* WebEditorController::barContainer()
{
    return dynamic_cast<BarContainerView*>(view().get());
}

std::shared_ptr<View> WebEditorController::pageView()
{
    BarContainerView* container = isViewLoaded() ? barContainer() : nullptr;
    return container ? container->contentView() : nullptr;
}

void WebEditorController::givePageTheKeyboard()
{
    if (std::shared_ptr<View> page = pageView())
        Presenter::current().viewDidRequestKeyboardFocus(*page);
}

void WebEditorController::takeSnapshot()
{
    takeDocumentSnapshot(m_document);
}

void WebEditorController::updateContextualMenu()
{
    if (!m_document || editMenuHoldsOwnRows())
        return;
    auto localized = [](const char* key) { return toUtf16(Localization::localizedString(key)); };
    MenuController::shared().setMenuItems({{localized("AI Assistant"), "wisperantActionFromContextualMenu:"},
                                           {localized("Highlight"), "highlightYellowTextSelection:"},
                                           {localized("Read Aloud"), "speakSelectedText:"}});
}

void WebEditorController::viewDidLoad()
{
    updateContextualMenu();
    // On the next turn, once whoever made the view has finished with it.
    RunLoop::main().performSelectorAfterDelay(this, kLoadSelector, {}, 0.0, [this] { loadHTMLDocument(); });
}

Status WebEditorController::takeTypedKeys()
{
    if (!m_webView || m_pageError)
        return Status::success();
    RunLoop& loop = RunLoop::main();
    const double deadline = loop.now() + kTypedKeysWaitSeconds;
    // Keys typed while the page starts wait for its ready step, which hands
    // them over; a page that fails or a close drops them. Without such keys
    // there is nothing to wait for: the caller finds the page not ready.
    loop.runUntil([this] { return !m_bridge.isStarting() || !m_document || !m_webView->hasHeldTypedKeys(); },
                  kTypedKeysWaitSeconds);
    if (!m_bridge.isPageReady()) {
        if (m_webView->hasHeldTypedKeys())
            return Error{kErrorDomain, PageNotReady,
                         "The editing page did not start in time: what was typed into it is not saved"};
        return Status::success();
    }
    // The view hands the page one key at a time, each once the last is done:
    // a read sent now could come before the last keys. A page that never
    // counts them all (a key an input method kept) is read as it stands.
    loop.runUntil([this] { return !m_webView->hasHeldTypedKeys() && pageHasTakenTheKeys(); },
                  std::max(0.0, deadline - loop.now()));
    return Status::success();
}

void WebEditorController::whenTypedKeysTaken(std::function<void(Status)> done)
{
    checkTypedKeysTaken(std::move(done), RunLoop::main().now() + kTypedKeysWaitSeconds);
}

void WebEditorController::checkTypedKeysTaken(std::function<void(Status)> done, double deadline)
{
    constexpr double kCheckIntervalSeconds = 0.05;
    RunLoop& loop = RunLoop::main();
    bool starting = m_webView && !m_pageError && m_document && m_bridge.isStarting() && m_webView->hasHeldTypedKeys();
    // Still being handed over, when a close comes from within that.
    bool handing = m_webView && m_bridge.isPageReady() && m_webView->hasHeldTypedKeys();
    bool taken = !starting && !handing && (!m_bridge.isPageReady() || pageHasTakenTheKeys());
    if (taken || loop.now() >= deadline) {
        if (!m_bridge.isPageReady() && m_webView && m_webView->hasHeldTypedKeys()) {
            done(Error{kErrorDomain, PageNotReady,
                       "The editing page did not start in time: what was typed into it is not saved"});
            return;
        }
        done(Status::success());
        return;
    }
    std::weak_ptr<Responder> weak = weak_from_this();
    loop.postAfterDelay(kCheckIntervalSeconds, [weak, done = std::move(done), deadline]() mutable {
        if (std::shared_ptr<Responder> strong = weak.lock())
            static_cast<WebEditorController&>(*strong).checkTypedKeysTaken(std::move(done), deadline);
        else
            done(Status::success());
    });
}

bool WebEditorController::pageHasTakenTheKeys()
{
    std::size_t handed = m_webView ? m_webView->keyPressesHandedToPage() : 0;
    if (handed == 0 || !m_bridge.isPageReady())
        return true;
    std::optional<std::string> seen = m_connection.read("folioKeyDownsSeen()");
    std::size_t count = 0;
    if (!seen || std::from_chars(seen->data(), seen->data() + seen->size(), count).ec != std::errc())
        return true;
    return count >= handed;
}

Result<PageContent::Reply> WebEditorController::readContent(EditorContent::Parts parts)
{
    if (!m_webView || !m_bridge.isPageReady())
        return Error{kErrorDomain, PageNotReady, "The editing page is not ready"};
    return PageContent::fetch(m_connection, parts);
}

TextDocument* WebEditorController::beginClosing()
{
    RunLoop::main().cancelPreviousPerformRequests(this);
    m_bridge.beginClosing();
    m_dirty.setClosing(true);
    m_dirty.cancelFollowUp();
    return std::exchange(m_document, nullptr);
}

void WebEditorController::applicationWillEnterBackground()
{
    keepScrollPosition();
    m_dirty.setInForeground(false);
}

void WebEditorController::willEnterForeground()
{
    m_dirty.setInForeground(true);
}

std::string WebEditorController::lastPositionKey(const std::string& documentPath)
{
    std::filesystem::path path = std::filesystem::path(documentPath).lexically_normal();
    std::filesystem::path relative = path.lexically_relative(std::filesystem::path(AppFolders::documentsFolder()));
    bool inside = !relative.empty() && *relative.begin() != "..";
    return (inside ? relative : path).string() + "_lastposition";
}

void WebEditorController::keepScrollPosition()
{
    if (!m_document || !m_bridge.isPageReady())
        return;
    std::optional<std::string> answer = m_connection.read(m_dialect->scrollPositionScript());
    if (!answer || answer->empty())
        return;
    double position = 0;
    auto [end, problem] = std::from_chars(answer->data(), answer->data() + answer->size(), position);
    if (problem != std::errc())
        return;
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    defaults.setInteger(lastPositionKey(m_document->fileURL()), static_cast<long long>(position));
    defaults.synchronize();
}

long long WebEditorController::storedScrollPosition() const
{
    if (!m_document)
        return 0;
    return UserDefaults::standardUserDefaults().integerForKey(lastPositionKey(m_document->fileURL())).value_or(0);
}

void WebEditorController::followLink(const std::string& target)
{
    LinkDestination destination = LinkDestination::forTarget(target);
    switch (destination.kind) {
    case LinkDestination::Kind::Web:
        openWebAddress(destination.address);
        return;
    case LinkDestination::Kind::Mail:
        if (m_openLink)
            m_openLink(destination.address);
        return;
    case LinkDestination::Kind::Refused:
        break;
    }
    // Said briefly, over the page: nothing waits for an answer.
    TELog(TELogLevelWarning, "A link was not followed: " + target);
    ProgressHUD::showErrorWithStatus(toUtf16(destination.address));
}

void WebEditorController::openWebAddress(const std::string& url)
{
    if (m_openLink)
        m_openLink(url);
}

} // namespace folio
