#include "richtext/StyleMenuCommander.h"

#include "platform/foundation/RunLoop.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/ProgressHUD.h"
#include "richtext/SelectionTransformer.h"
#include "richtext/StyleMenuEntries.h"
#include "richtext/StylePresetCommander.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"

namespace folio {

namespace {
constexpr const char* kTaskSelector = "otherStyleTextTask:";
constexpr const char* kTransparent = "document.execCommand('backColor', false, 'transparent');";
}

StyleMenuCommander::StyleMenuCommander(PageConnection& page, StylePresetCommander& presets, Host host)
    : m_page(page)
    , m_presets(presets)
    , m_host(std::move(host))
{
}

StyleMenuCommander::~StyleMenuCommander()
{
    RunLoop::main().cancelPreviousPerformRequests(this);
}

void StyleMenuCommander::removeHighlight(bool nothingSelected)
{
    if (nothingSelected)
        // The span holds one U+FEFF, so that typing goes on unhighlighted.
        m_page.send(std::string(kTransparent) + "document.execCommand('insertHTML','false','<span>\xEF\xBB\xBF</span>');");
    else
        m_page.send(kTransparent);
}

void StyleMenuCommander::otherStyleTextTask(long entry)
{
    bool nothingSelected = m_page.readString(SelectionTransformer::kSelectedTextScript).empty();
    if (entry >= 0 && static_cast<std::size_t>(entry) < kStyleMenuEntryCount) {
        const StyleMenuEntry& step = styleMenuEntries()[static_cast<std::size_t>(entry)];
        if (step.removeStyleFirst)
            m_presets.removeStyle();
        // The paragraphs are named first, while the selection still spans
        // just the text the user chose.
        if (step.paragraphStyle)
            m_page.send(PageScript::call("nameParagraphStyle", {step.paragraphStyle}));
        switch (step.kind) {
        case StyleMenuEntry::Kind::Preset:
            if (step.preset == 0)
                m_presets.setDefaultStyle();
            else
                m_presets.setUserStyle(step.preset);
            break;
        case StyleMenuEntry::Kind::Script:
            if (step.script)
                m_page.send(step.script);
            break;
        case StyleMenuEntry::Kind::Highlight:
            if (m_page.readString("document.queryCommandValue('backColor')") == step.answer)
                removeHighlight(nothingSelected);
            else
                m_page.send(std::string("document.execCommand('backColor', false, '") + step.color + "')");
            break;
        case StyleMenuEntry::Kind::RemoveHighlight:
            removeHighlight(nothingSelected);
            break;
        }
    }
    ProgressHUD::dismiss();
    if (m_host.documentIsDirty)
        m_host.documentIsDirty();
}

void StyleMenuCommander::runAfterMenu(long row)
{
    m_page.send("restoreCaretSelection();");
    if (m_host.showProgressHUDifNeeded)
        m_host.showProgressHUDifNeeded();
    RunLoop::main().performSelectorAfterDelay(this, kTaskSelector, {}, 0.0, [this, row] { otherStyleTextTask(row); });
}

void StyleMenuCommander::optionSelected(long row)
{
    std::shared_ptr<NavigationController> navigation =
        m_host.otherPickerNavigationController ? m_host.otherPickerNavigationController() : nullptr;
    if (!navigation) {
        runAfterMenu(row);
        return;
    }
    navigation->dismissViewControllerAnimated(true, [this, row] { runAfterMenu(row); });
    if (m_host.forgetOtherPickerNavigationController)
        m_host.forgetOtherPickerNavigationController();
}

} // namespace folio
