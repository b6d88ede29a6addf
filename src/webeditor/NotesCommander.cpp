#include "webeditor/NotesCommander.h"

#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/UUID.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Device.h"
#include "platform/ui/PopoverPresentationController.h"
#include "webeditor/NoteEditorController.h"
#include "webeditor/NoteEditorDelegate.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageMessage.h"
#include "webeditor/PageScript.h"

namespace folio {

namespace {

std::u16string notesText(const char* text)
{
    return toUtf16(Localization::localizedString(text));
}

// "{x, y}" as the page writes a point; anything else is the origin.
Point pointFromString(const std::string& text)
{
    size_t comma = text.find(',');
    if (text.empty() || text.front() != '{' || comma == std::string::npos)
        return {0, 0};
    return {doubleValue(std::string_view(text).substr(1, comma - 1)), doubleValue(std::string_view(text).substr(comma + 1))};
}

} // namespace

class NotesCommander::EditorDelegate final : public NoteEditorDelegate {
public:
    explicit EditorDelegate(NotesCommander& owner) : m_owner(owner) {}
    PageConnection& notePage() override { return m_owner.m_page; }
    void documentIsDirty() override { m_owner.m_host.documentIsDirty(); }
    void dismissFootnote() override { m_owner.dismissFootnote(); }
    void dismissAnnotation() override { m_owner.dismissAnnotation(); }

private:
    NotesCommander& m_owner;
};

NotesCommander::NotesCommander(PageConnection& page, Host host)
    : NotesCommander(page, std::move(host), PageScripts{})
{
}

NotesCommander::NotesCommander(PageConnection& page, Host host, PageScripts scripts)
    : m_page(page)
    , m_host(std::move(host))
    , m_scripts(std::move(scripts))
    , m_editorDelegate(std::make_shared<EditorDelegate>(*this))
{
}

NotesCommander::~NotesCommander() = default;

std::string NotesCommander::footnoteHTML(const std::string& id)
{
    return " <span contenteditable=false  ><sup><object  id=\"" + HTMLTextEscaper::escape(id)
        + "\"  class=\"footnote\"  data-content=\" \">[0]</object></sup></span> ";
}

std::string NotesCommander::annotationHTML(const std::string& id, const std::string& author, const std::u16string& date)
{
    return " <span contenteditable=false><object  id=\"" + HTMLTextEscaper::escape(id)
        + "\"  class=\"annotation\"  data-author=\"" + HTMLTextEscaper::escape(author + " User")
        + "\" data-content=\"\n\n[" + toUtf8(HTMLTextEscaper::escape(date)) + "]\">[\U0001F4AC]</object></span> ";
}

std::optional<Point> NotesCommander::editorPointAfterInsertion(Point farRight)
{
    Point caret = pointFromString(m_page.readString("getCaretEditorPosition()"));
    double edge = m_host.isLandscape && m_host.isLandscape() ? kLandscapeEditorEdge : kPortraitEditorEdge;
    if (caret.x > edge)
        return farRight;
    if (caret.y < 0)
        return Point{18, 58};
    return std::nullopt;
}

void NotesCommander::insertNewFootnote()
{
    std::string id = "footnote_" + makeUUIDString();
    m_page.send("moveCursorEndWord ();");
    m_page.send(PageScript::fill("pasteHtmlAtCaret({},false)", {footnoteHTML(id)}));
    m_page.send("updateFootnoteIndex();");
    m_host.documentIsDirty();
    if (std::optional<Point> at = editorPointAfterInsertion({60, 8}))
        showFootnoteWithId(id, *at);
}

void NotesCommander::insertNewAnnotation()
{
    std::string id = "note_" + makeUUIDString();
    auto now = m_host.now ? m_host.now() : std::chrono::system_clock::now();
    std::u16string date = localizedStringFromDate(now, DateFormatterStyle::Long, DateFormatterStyle::Short);
    std::string author = m_host.applicationName ? m_host.applicationName() : "Folio";
    m_page.send("moveCursorEndWord();");
    m_page.send(PageScript::fill("pasteHtmlAtCaret({},false);", {annotationHTML(id, author, date)}));
    m_host.documentIsDirty();
    if (std::optional<Point> at = editorPointAfterInsertion({60, 58}))
        showAnnotationWithId(id, *at);
    m_host.documentIsDirty();
}

void NotesCommander::insertFootnoteTable()
{
    std::optional<std::string> list = m_page.read("insertFootnoteTable ();");
    if (!list || list->empty() || *list == "NoFootnotes") {
        std::shared_ptr<AlertController> alert = AlertController::make(
            notesText("Insert Footnotes Table"),
            notesText("There are no footnotes in this document. Please add some footnotes before inserting the footnotes table."));
        alert->addAction(AlertAction::make(notesText("OK"), AlertActionStyle::Default));
        if (m_host.presentFromDocument)
            m_host.presentFromDocument(alert);
        return;
    }
    m_page.send(PageScript::fill(m_scripts.insertHTML, {"<div id=\"divfootnotetable\">" + *list + "</div>"}));
    m_host.documentIsDirty();
}

void NotesCommander::showFootnoteWithId(const std::string& id, Point point)
{
    showEditor(std::make_shared<FootnoteViewController>(), id, point);
}

void NotesCommander::showAnnotationWithId(const std::string& id, Point point)
{
    showEditor(std::make_shared<AnnotationViewController>(), id, point);
}

void NotesCommander::showEditor(std::shared_ptr<NoteEditorController> editor, const std::string& id, Point point)
{
    // Ids reach scripts; one the page could not have made is refused.
    if (!PageMessage::isValidElementId(id))
        return;
    m_popoverVisible = true;
    bool pad = Device::current().isPad();
    if (pad && m_host.removeCustomKeyboard)
        m_host.removeCustomKeyboard();
    if (m_host.clearRemovedFormBar)
        m_host.clearRemovedFormBar();
    editor->setDelegate(m_editorDelegate);
    editor->setNoteContent(toUtf16(m_page.readString(NoteEditorController::contentScript(id))));
    editor->setNoteId(id);
    m_editor = editor;
    if (pad) {
        editor->setModalPresentationStyle(ModalPresentationStyle::Popover);
        if (std::shared_ptr<PopoverPresentationController> popover = editor->popoverPresentationController()) {
            popover->setPermittedArrowDirections(PopoverArrowDirectionDown);
            if (m_host.anchorView)
                popover->setSourceView(m_host.anchorView());
            // The anchor reaches from the note's top to below its line, so
            // that the editor, above the note or below it where there is no
            // room above, leaves the line the note belongs to in sight.
            popover->setSourceRect(Rect{{point.x - 6, point.y}, {10, kNoteLineHeight}});
        }
        if (m_host.presentFromDocument)
            m_host.presentFromDocument(editor);
    } else if (m_host.presentFromEditor) {
        m_host.presentFromEditor(editor);
    }
}

void NotesCommander::dismissFootnote()
{
    m_popoverVisible = false;
    m_page.send("updateFootnoteIndex();");
    m_page.send("restoreCaretSelection();");
    if (m_host.addCustomKeyboard)
        m_host.addCustomKeyboard();
}

void NotesCommander::dismissAnnotation()
{
    m_popoverVisible = false;
    m_page.send("restoreCaretSelection();");
    if (m_host.addCustomKeyboard)
        m_host.addCustomKeyboard();
}

std::optional<NotesCommander::Touch> NotesCommander::touchFromMessage(const PageMessage& message)
{
    std::vector<std::string> fields = message.fields('_');
    if (fields.size() < 4)
        return std::nullopt;
    std::string id;
    for (size_t i = 1; i + 2 < fields.size(); ++i)
        id += (i > 1 ? "_" : "") + fields[i];
    if (id.empty())
        return std::nullopt;
    const std::string& x = fields[fields.size() - 2];
    const std::string& y = fields[fields.size() - 1];
    return Touch{id, Point{doubleValue(std::string_view(x)), doubleValue(std::string_view(y))}};
}

} // namespace folio
