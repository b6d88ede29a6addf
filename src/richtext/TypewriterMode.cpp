#include "richtext/TypewriterMode.h"

#include "platform/services/AudioPlayer.h"
#include "platform/ui/Button.h"
#include "platform/ui/View.h"
#include "webeditor/PageScript.h"

#include <cstdlib>
#include <filesystem>

namespace folio {

TypewriterMode::TypewriterMode(Host host)
    : m_host(std::move(host))
    , m_topDivider(std::make_shared<View>(Rect{{0, kParkedDividerY}, {0, 1}}))
    , m_bottomDivider(std::make_shared<View>(Rect{{0, kParkedDividerY}, {0, 1}}))
{
    for (const auto& divider : {m_topDivider, m_bottomDivider})
        divider->setBackgroundColor(Color::colorWithWhite(0.6));
}

TypewriterMode::~TypewriterMode() = default;

std::string TypewriterMode::soundPath(const std::string& resourcesFolder, std::size_t number)
{
    return (std::filesystem::path(resourcesFolder) / "Keyboard_Sounds" / (std::to_string(number) + ".mp3")).string();
}

void TypewriterMode::place()
{
    if (m_host.setRulerHidden)
        m_host.setRulerHidden(true);
    if (m_host.setBannerHidden)
        m_host.setBannerHidden(true);
    if (m_host.setPageControlHidden)
        m_host.setPageControlHidden(true);
    const Layout& layout = layoutFor(m_host.isLandscape && m_host.isLandscape());
    if (std::shared_ptr<Button> exit = m_host.exitButton ? m_host.exitButton() : nullptr) {
        exit->setHidden(false);
        Rect frame = exit->frame();
        exit->setFrame(Rect{{frame.origin.x, layout.exitButtonY}, frame.size});
    }
    std::shared_ptr<View> view = m_host.view ? m_host.view() : nullptr;
    double width = view ? view->frame().size.width : 0;
    m_topDivider->setFrame(Rect{{0, layout.topDividerY}, {width, 1}});
    m_bottomDivider->setFrame(Rect{{0, layout.bottomDividerY}, {width, 1}});
    if (m_host.setWebViewFrame && m_host.webViewFrame) {
        Rect frame = m_host.webViewFrame();
        m_host.setWebViewFrame(Rect{{frame.origin.x, layout.webViewY}, {frame.size.width, layout.webViewHeight}});
    }
}

void TypewriterMode::typewriterMode()
{
    if (m_host.isFindOnPageVisible && m_host.isFindOnPageVisible() && m_host.hideFindOnPage)
        m_host.hideFindOnPage();
    place();
    if (std::shared_ptr<View> view = m_host.view ? m_host.view() : nullptr) {
        Rect frame = view->frame();
        view->setFrame(Rect{{frame.origin.x, -kNavigationBarHeight}, {frame.size.width, frame.size.height + kNavigationBarHeight}});
    }
    if (m_host.setNavigationBarHidden)
        m_host.setNavigationBarHidden(true);
    const Layout& layout = layoutFor(m_host.isLandscape && m_host.isLandscape());
    if (m_host.sendScript) {
        m_host.sendScript(PageScript::call("setRichTextPageHeight", {layout.contentHeight, layout.bodyHeight}));
        m_host.sendScript("document.execCommand('unselect')");
        m_host.sendScript("document.getElementById('content').focus();");
    }
    m_isTypewriterMode = true;
    if (m_host.arrangeWindow)
        m_host.arrangeWindow(&layout);
}

void TypewriterMode::layoutTypeWriteModeAfterAppEnterForeground()
{
    place();
    const Layout& layout = layoutFor(m_host.isLandscape && m_host.isLandscape());
    if (m_host.sendScript)
        m_host.sendScript(PageScript::call("setRichTextPageHeight", {layout.contentHeight, layout.bodyHeight}));
    m_isTypewriterMode = true;
    if (m_host.arrangeWindow)
        m_host.arrangeWindow(&layout);
}

void TypewriterMode::exitTypeWriterMode()
{
    m_isTypewriterMode = false;
    if (m_host.isEditing && m_host.isEditing() && m_host.endEditing)
        m_host.endEditing();
    std::shared_ptr<View> view = m_host.view ? m_host.view() : nullptr;
    double height = view ? view->frame().size.height : 0;
    if (m_host.setWebViewFrame && m_host.webViewFrame) {
        Rect frame = m_host.webViewFrame();
        m_host.setWebViewFrame(Rect{{frame.origin.x, 30}, {frame.size.width, height + kNavigationBarHeight + 20}});
    }
    m_topDivider->setFrame(Rect{{0, kParkedDividerY}, m_topDivider->frame().size});
    m_bottomDivider->setFrame(Rect{{0, kParkedDividerY}, m_bottomDivider->frame().size});
    if (view) {
        Rect frame = view->frame();
        view->setFrame(Rect{{frame.origin.x, 0}, {frame.size.width, frame.size.height - kNavigationBarHeight}});
    }
    if (m_host.setNavigationBarHidden)
        m_host.setNavigationBarHidden(false);
    if (!(m_host.isHardwareKeyboardConnected && m_host.isHardwareKeyboardConnected()) && m_host.clearEditing)
        m_host.clearEditing();
    if (m_host.setDefaultTextEditorSizeValues)
        m_host.setDefaultTextEditorSizeValues();
    if (m_host.clearFullScreenMode)
        m_host.clearFullScreenMode();
    if (std::shared_ptr<Button> exit = m_host.exitButton ? m_host.exitButton() : nullptr)
        exit->setHidden(true);
    if (m_host.setRulerHidden)
        m_host.setRulerHidden(true);
    if (m_host.setBannerHidden)
        m_host.setBannerHidden(false);
    if (m_host.setPageControlHidden)
        m_host.setPageControlHidden(false);
    if (m_host.updatePageUpDownControl)
        m_host.updatePageUpDownControl();
    if (m_host.arrangeWindow)
        m_host.arrangeWindow(nullptr);
}

void TypewriterMode::loadTypewriterSounds(const std::string& resourcesFolder)
{
    for (std::size_t index = 0; index < kSoundCount; ++index) {
        auto player = std::make_unique<AudioPlayer>(soundPath(resourcesFolder, index + 1));
        m_players[index] = player->isLoaded() ? std::move(player) : nullptr;
    }
}

bool TypewriterMode::hasLoadedSound(std::size_t number) const
{
    return number >= 1 && number <= kSoundCount && m_players[number - 1] != nullptr;
}

std::size_t TypewriterMode::playKeySound()
{
    if (!m_soundsOn)
        return 0;
    int pick = m_host.random ? m_host.random() : std::rand();
    std::size_t index = static_cast<std::size_t>(pick < 0 ? -pick : pick) % kSoundCount;
    if (!m_players[index] || !m_players[index]->play())
        return 0;
    return index + 1;
}

} // namespace folio
