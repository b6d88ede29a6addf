#include "richtext/RichTextEditingTools.h"

#include "platform/foundation/Unicode.h"
#include "platform/ui/Button.h"
#include "platform/ui/Device.h"
#include "platform/ui/PopoverPresentationController.h"
#include "platform/ui/View.h"
#include "richtext/RichTextStyling.h"
#include "webeditor/FindBarController.h"
#include "webeditor/PageMessage.h"
#include "webeditor/PageMessageDispatcher.h"

namespace folio {

namespace {

bool isLandscape()
{
    DeviceOrientation orientation = Device::current().orientation();
    return orientation == DeviceOrientation::LandscapeLeft || orientation == DeviceOrientation::LandscapeRight;
}

} // namespace

RichTextEditingTools::RichTextEditingTools(PageConnection& page, UserDefaults& defaults, RichTextStyling& styling, Host host)
    : m_host(std::move(host))
    , m_styling(styling)
    , m_find(page, FindCommander::Host{
          .documentIsDirty = m_host.documentIsDirty,
          .present = m_host.present,
          .isDisplayingAlert = [this] { return m_keyBar.isDisplayingAlert(); },
          .webViewHeight = m_host.webViewHeight,
          .willShowFindBar = [this] { m_keyBar.setRemovedFormBar(false); },
          .setEditing = m_host.setEditing,
          .addCustomKeyboard = [this] { m_keyBar.setRemovedFormBar(false); m_keyBar.removeFormBar(); },
          .presentFindBar = [this] { presentFindBar(); },
          .dismissFindBar = [this] { dismissFindBar(); },
      })
    , m_notes(page, NotesCommander::Host{
          .documentIsDirty = m_host.documentIsDirty,
          .isLandscape = isLandscape,
          .removeCustomKeyboard = [this] { m_keyBar.setRemovedFormBar(true); m_keyBar.removeFormBar(); },
          .clearRemovedFormBar = [this] { m_keyBar.setRemovedFormBar(false); },
          .addCustomKeyboard = [this] { m_keyBar.setRemovedFormBar(false); m_keyBar.removeFormBar(); },
          .presentFromDocument = m_host.present,
          .presentFromEditor = m_host.presentFromEditor,
          // The page reports a tapped note where the page shows it, below the
          // rulers: pointed at from the editor's whole view, the note editor
          // would cover the very line the note belongs to.
          .anchorView = m_host.pageView,
      })
    , m_inserts(page, m_find, defaults, InsertCommander::Host{
          .documentIsDirty = m_host.documentIsDirty,
          .largestFontSize = [this] { return m_styling.characters().getBiggestRealFontSizeInPointsFromSelection(); },
          .setFontSizeTitle = [this](const std::string& size) {
              m_styling.toolbar().currentFontSizeTextValue = size;
              m_styling.toolbar().styleFontSize->setTitle(toUtf16(size));
          },
          .isRTLLanguage = [this] { return m_styling.characters().isRTLLanguage(); },
          .endEditing = [this] { if (m_host.setEditing) m_host.setEditing(false); },
          .removeCustomKeyboard = [this] { m_keyBar.setRemovedFormBar(true); m_keyBar.removeFormBar(); },
          .dismissAllPopover = [this] { m_styling.popovers().dismissAllPopover(); },
          .present = m_host.present,
          .insertNewFootnote = [this] { m_notes.insertNewFootnote(); },
          .insertNewAnnotation = [this] { m_notes.insertNewAnnotation(); },
          .insertFootnoteTable = [this] { m_notes.insertFootnoteTable(); },
          .setSpecialCharsPicker = [this](std::shared_ptr<ViewController> picker) {
              m_styling.popovers().setPicker(EditorPopovers::Picker::SpecialChars, std::move(picker));
          },
          .setAnyInspectorOrMenuVisible = [this](bool visible) { m_styling.popovers().setAnyInspectorOrMenuVisible(visible); },
      })
    , m_keyBar(page, defaults, styling.toolbar(), KeyBar::Host{
          .documentIsDirty = m_host.documentIsDirty,
          .largestFontSize = [this] { return m_styling.characters().getBiggestRealFontSizeInPointsFromSelection(); },
          .isRTLLanguage = [this] { return m_styling.characters().isRTLLanguage(); },
          .isHTMLObjectPopoverVisible = [this] { return m_notes.isHTMLObjectPopoverVisible(); },
          .present = m_host.present,
          .viewWidth = [this] {
              std::shared_ptr<View> shown = m_host.view ? m_host.view() : nullptr;
              return shown ? shown->frame().size.width : 0.0;
          },
          .styleButtonPressed = [this](const Button& button) { m_styling.styleToolbarButtonPressed(&button); },
          .alignKeyMenu = [this] { return m_styling.showAlignKeyMenuActions(); },
          .showTextStyleMenu = [this](Button& button) { m_styling.showTextStyleMenu(button); },
          .showFontSizeMenu = [this](Button& button) { m_styling.showFonSizeMenu(button); },
          .rowDidChange = m_host.keyRowDidChange,
      })
{
    m_styling.popovers().setFindBar([this] { return m_find.isFindOnPageVisible(); }, [this] { m_find.hideFindOnPage(); });
}

RichTextEditingTools::~RichTextEditingTools()
{
    m_styling.popovers().setFindBar({}, {});
    m_styling.barItems().setInsertItemMenu({});
}

void RichTextEditingTools::registerRoutes(PageMessageDispatcher& routes)
{
    using Gate = PageMessageDispatcher::Gate;
    routes.add("showFootnote", Gate::Always, [this](const PageMessage& message) {
        if (std::optional<NotesCommander::Touch> touch = NotesCommander::touchFromMessage(message))
            m_notes.showFootnoteWithId("footnote_" + touch->id, touch->point);
    });
    routes.add("showAnnotation", Gate::Always, [this](const PageMessage& message) {
        if (std::optional<NotesCommander::Touch> touch = NotesCommander::touchFromMessage(message))
            m_notes.showAnnotationWithId("note_" + touch->id, touch->point);
    });
}

void RichTextEditingTools::presentFindBar()
{
    dismissFindBar();
    m_findBar = FindBarController::presentAlongBottom(m_find.bar(), m_host.view ? m_host.view() : nullptr, m_host.present);
}

void RichTextEditingTools::dismissFindBar()
{
    if (std::shared_ptr<ViewController> bar = std::exchange(m_findBar, nullptr))
        bar->dismissViewControllerAnimated(true);
}

void RichTextEditingTools::cancelPendingTasks()
{
    m_find.cancelPendingTasks();
}

} // namespace folio
