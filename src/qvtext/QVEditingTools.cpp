#include "qvtext/QVEditingTools.h"

#include "platform/docframework/DKKeyCommands.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Device.h"
#include "platform/ui/KeyCommand.h"
#include "platform/ui/View.h"
#include "webeditor/FindBarController.h"
#include "webeditor/FontSizeUnits.h"
#include "webeditor/PageMessage.h"
#include "webeditor/PageMessageDispatcher.h"
#include "webeditor/PageScript.h"
#include "webeditor/TypingFontSize.h"

#include <cmath>

namespace folio {

namespace {

constexpr const char* kInsertHTML = "tinymce.activeEditor.execCommand('insertHTML','false',{});";

bool isLandscape()
{
    DeviceOrientation orientation = Device::current().orientation();
    return orientation == DeviceOrientation::LandscapeLeft || orientation == DeviceOrientation::LandscapeRight;
}

} // namespace

QVEditingTools::QVEditingTools(PageConnection& page, Pasteboard& pasteboard, Host host)
    : m_host(std::move(host))
    , m_page(page)
    , m_framePage(page, &QVEditingTools::inEditorFrame)
    , m_caret(m_framePage,
              CaretSelectionCommander::Host{
                  .isRTLLanguage = m_host.isRTLLanguage,
                  .isTypewriterMode = m_host.isTypewriterMode,
                  .isOrientationLandscape = isLandscape,
                  .isEditing = m_host.isEditing,
                  .isPad = [] { return Device::current().isPad(); },
                  .hasSelection = [this] { return hasSelection(); },
                  .updatePageUpDownControl = m_host.updatePageUpDownControl,
                  .documentIsDirty = m_host.documentIsDirty,
                  .endEditing = m_host.endEditing,
                  .view = m_host.view,
                  .pageView = m_host.pageView,
                  .becomeFirstResponder = m_host.becomeFirstResponder,
              },
              CaretSelectionCommander::PageScripts{.deleteSelection = "tinymce.activeEditor.execCommand('delete');"})
    , m_clipboard(m_framePage, pasteboard,
                  ClipboardCommander::Host{
                      .documentIsDirty = m_host.documentIsDirty,
                      // The pasted span is sized in pixels: a size in points
                      // written as pixels would shrink the pasted text. The
                      // size is that of the text the caret follows, asked
                      // now; the selection's size only when the page tells none.
                      .biggestFontSize =
                          [this] {
                              if (std::optional<int> pixels = TypingFontSize::pixelsAtCaret(m_page))
                                  return *pixels;
                              int points = m_host.biggestFontSize ? m_host.biggestFontSize() : 0;
                              return static_cast<int>(std::lround(FontSizeUnits::pixelsFromPoints(points)));
                          },
                      .insertImage = m_host.insertImage,
                      .documentTitle = m_host.documentTitle,
                      .updatePageUpDownControl = m_host.updatePageUpDownControl,
                      // No picture a file holds is pasted (keepsPictureFile
                      // stays empty): the document keeps its pictures
                      // inside it, and its page shows no other file's.
                      .presentAlert = [this](std::shared_ptr<AlertController> alert) {
                          if (m_host.present)
                              m_host.present(std::move(alert));
                      },
                  },
                  ClipboardCommander::PageScripts{
                      .insertHTML = kInsertHTML,
                      .fontName = "tinymce.activeEditor.queryCommandValue('fontName').replace(/'/g,'')",
                      .foreColor = "tinymce.activeEditor.getDoc().queryCommandValue('foreColor')",
                      .deleteSelection = "tinymce.activeEditor.execCommand('delete', false, null)",
                      // The page hands its pastes over itself.
                      .handOverPastes = "",
                  })
    , m_find(m_framePage,
             FindCommander::Host{
                 .documentIsDirty = m_host.documentIsDirty,
                 .present = m_host.present,
                 .setEditing = [this](bool editing) {
                     if (!editing && m_host.endEditing)
                         m_host.endEditing();
                 },
                 .presentFindBar = [this] { presentFindBar(); },
                 .dismissFindBar = [this] { dismissFindBar(); },
             },
             // The replacement goes in once, where the search object put it:
             // TinyMCE's own insertion would go to the selection TinyMCE kept,
             // which need not be the match, and replace a second time. TinyMCE
             // grows the page with its text by itself.
             FindCommander::PageScripts{.insertHTML = "", .makeRoomForBar = ""})
    , m_notes(m_framePage,
              NotesCommander::Host{
                  .documentIsDirty = m_host.documentIsDirty,
                  .isLandscape = isLandscape,
                  .presentFromDocument = m_host.present,
                  .presentFromEditor = m_host.presentFromEditor,
                  // The page reports a tapped note where the page shows it,
                  // below the bars over it: pointed at from the editor's
                  // whole view, the note editor would cover the note's line.
                  .anchorView = m_host.pageView,
                  .now = m_host.now,
              },
              NotesCommander::PageScripts{.insertHTML = "tinymce.activeEditor.execCommand('insertHTML',false,{});"})
    , m_inserts(page, QVInsertCommander::Host{.documentIsDirty = m_host.documentIsDirty, .now = m_host.now})
{
}

QVEditingTools::~QVEditingTools()
{
    cancelPendingTasks();
}

std::string QVEditingTools::inEditorFrame(const std::string& script)
{
    return PageScript::call("folioInEditorFrame", {script});
}

bool QVEditingTools::hasSelection()
{
    return m_framePage.readBool("window.getSelection().isCollapsed", true);
}

void QVEditingTools::showFindOnPage()
{
    m_page.send("tinymce.activeEditor.execCommand('SearchReplace');");
}

void QVEditingTools::registerRoutes(PageMessageDispatcher& routes)
{
    using Gate = PageMessageDispatcher::Gate;
    routes.add("pasteEvent", Gate::WhenReady, [this](const PageMessage&) { m_clipboard.paste(); });
    routes.add("dropEvent", Gate::WhenReady, [this](const PageMessage& message) {
        m_clipboard.dropDescribedByPage(message.data);
    });
    routes.add("showFootnote", Gate::Always, [this](const PageMessage& message) {
        if (std::optional<NotesCommander::Touch> touch = NotesCommander::touchFromMessage(message))
            m_notes.showFootnoteWithId("footnote_" + touch->id, touch->point);
    });
    routes.add("showAnnotation", Gate::Always, [this](const PageMessage& message) {
        if (std::optional<NotesCommander::Touch> touch = NotesCommander::touchFromMessage(message))
            m_notes.showAnnotationWithId("note_" + touch->id, touch->point);
    });
}

void QVEditingTools::presentFindBar()
{
    dismissFindBar();
    m_findBar = FindBarController::presentAlongBottom(m_find.bar(), m_host.view ? m_host.view() : nullptr, m_host.present);
}

void QVEditingTools::dismissFindBar()
{
    if (std::shared_ptr<ViewController> bar = std::exchange(m_findBar, nullptr))
        bar->dismissViewControllerAnimated(true);
}

void QVEditingTools::cancelPendingTasks()
{
    m_find.cancelPendingTasks();
}

std::vector<std::shared_ptr<KeyCommand>> QVEditingTools::keyCommands(std::function<QVEditingTools*()> target,
                                                                     std::function<bool()> pageIsReady,
                                                                     std::function<void()> undo, std::function<void()> redo)
{
    std::vector<std::shared_ptr<KeyCommand>> commands = DKKeyCommands::keyCommandsWithCategories(
        {DKKeyCommands::kDocumentControllerCategory},
        {
            {"undoAction", undo},
            {"redoAction", redo},
            {"showFindOnPage",
             [target] {
                 if (QVEditingTools* tools = target ? target() : nullptr)
                     tools->showFindOnPage();
             }},
        });
    std::vector<std::shared_ptr<KeyCommand>> arrows =
        CaretSelectionCommander::arrowKeyCommands([target, pageIsReady]() -> CaretSelectionCommander* {
            QVEditingTools* tools = target && pageIsReady && pageIsReady() ? target() : nullptr;
            return tools ? &tools->caret() : nullptr;
        });
    commands.insert(commands.end(), arrows.begin(), arrows.end());
    return commands;
}

} // namespace folio
