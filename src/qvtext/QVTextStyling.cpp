#include "qvtext/QVTextStyling.h"

#include "platform/docframework/DKMenuController.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/KeyboardService.h"
#include "platform/ui/Menu.h"
#include "platform/ui/ProgressHUD.h"
#include "webeditor/AlignmentMenu.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"

namespace folio {

QVTextStyling::QVTextStyling(PageConnection& page, UserDefaults& defaults, Host host)
    : m_page(page)
    , m_host(std::move(host))
    , m_store(defaults)
    , m_characters(page, {[this] { documentIsDirty(); }, {}})
    , m_paragraphs(page, m_characters,
                   {[this] { documentIsDirty(); }, [this] { m_presets.setDefaultStyle(); },
                    [this](long n) { m_presets.setUserStyle(n); }, [] { ProgressHUD::dismiss(); }})
    , m_presets(page, m_characters, m_store,
                {[this] { documentIsDirty(); }, [this](const std::string& color) { setPaperColor(color); },
                 [this](std::shared_ptr<ViewController> shown) {
                     if (m_host.present)
                         m_host.present(std::move(shown));
                 }})
    , m_callbacks(page, m_characters, m_presets, defaults,
                  {[this] { documentIsDirty(); }, {},
                   [this] {
                       if (m_host.paperSizeChanged)
                           m_host.paperSizeChanged();
                   },
                   [this](long side, double margin) {
                       if (m_host.paperMarginChanged)
                           m_host.paperMarginChanged(side, margin);
                   }})
{
    m_inputModeObserver = NotificationCenter::defaultCenter().addObserver(
        kTextInputCurrentInputModeDidChangeNotification, nullptr, [this](const Notification&) {
            if (m_page.isConnected() && (!m_host.hasDocument || m_host.hasDocument()))
                setTextDirection();
        });
}

QVTextStyling::~QVTextStyling()
{
    cancelPendingTasks();
    NotificationCenter::defaultCenter().removeObserver(m_inputModeObserver);
}

void QVTextStyling::documentIsDirty()
{
    if (m_host.documentIsDirty)
        m_host.documentIsDirty();
}

void QVTextStyling::setPaperColor(const std::string& color)
{
    if (m_host.setPaperColor) {
        m_host.setPaperColor(color);
        return;
    }
    m_page.send(PageScript::fill("tinymce.activeEditor.getBody().style.backgroundColor = {};", {color}));
}

void QVTextStyling::optionSelected(long row)
{
    showProgressHUDifNeeded();
    RunLoop::main().performSelectorAfterDelay(this, "otherStyleTextTask:", static_cast<long long>(row), 0,
                                              [this, row] { m_paragraphs.otherStyleTextTask(row); });
}

void QVTextStyling::alignSelected(long option)
{
    m_paragraphs.alignTextTask(option);
}

std::shared_ptr<Menu> QVTextStyling::showAlignKeyMenuActions()
{
    return AlignmentMenu::menu([this](long option) { alignSelected(option); }, m_alignMenuDirections);
}

void QVTextStyling::showAlignKeyMenu()
{
    if (m_alignPicker)
        m_alignPicker->dismissViewControllerAnimated(false);
    m_alignPicker = std::make_shared<DKMenuController>();
    m_alignPicker->setTopOptions(AlignmentMenu::popoverOptions([this](long option) { alignSelected(option); }));
    m_alignPicker->setSizesToOptionWidth(true);
    if (m_host.present)
        m_host.present(m_alignPicker);
}

void QVTextStyling::showProgressHUDifNeeded()
{
    constexpr long long kLongSelection = 4000;
    if (m_page.readInteger("tinymce.activeEditor.getWin().getSelection().toString().length;", 0) > kLongSelection)
        ProgressHUD::show();
}

void QVTextStyling::setTextDirection()
{
    const std::string& language = KeyboardService::shared().inputLanguage();
    m_paragraphs.setTextDirectionForLanguage(language);
    m_shouldForceDirtyDocument =
        language.find("Hans") != std::string::npos || language.find("Hant") != std::string::npos;
}

void QVTextStyling::cancelPendingTasks()
{
    RunLoop::main().cancelPreviousPerformRequests(this);
}

} // namespace folio
