#include "webeditor/NoteEditorController.h"

#include "platform/foundation/Localization.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Button.h"
#include "platform/ui/PopoverPresentationController.h"
#include "platform/ui/TextView.h"
#include "platform/ui/View.h"
#include "webeditor/NoteEditorDelegate.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"

namespace folio {

namespace {

std::u16string noteEditorText(const char* text, const char* table = Localization::kDefaultTable)
{
    return toUtf16(Localization::localizedString(text, {}, table));
}

} // namespace

class NoteEditorController::TextDelegate final : public TextViewDelegate {
public:
    explicit TextDelegate(NoteEditorController& owner) : m_owner(owner) {}
    void textViewDidChange(TextView&) override { m_owner.writeBack(); }
    void textViewDidEndEditing(TextView&) override { m_owner.writeBack(); }

private:
    NoteEditorController& m_owner;
};

NoteEditorController::NoteEditorController(Kind kind)
    : m_kind(kind)
    , m_textDelegate(std::make_shared<TextDelegate>(*this))
{
    setPreferredContentSize(kPreferredSize);
}

NoteEditorController::~NoteEditorController() = default;

std::string NoteEditorController::contentScript(const std::string& noteId)
{
    return PageScript::fill("var element  =document.getElementById({});element.getAttribute('data-content');", {noteId});
}

std::string NoteEditorController::writeBackScript(const std::string& noteId, const std::u16string& content)
{
    // A note deleted meanwhile is simply not there to write to.
    return PageScript::fill("var element  =document.getElementById({});if(element)element.setAttribute('data-content',{});",
                            {noteId, std::u16string_view(content)});
}

std::string NoteEditorController::removeScript(const std::string& noteId)
{
    return PageScript::fill("var element  =document.getElementById({});if(element)element.parentNode.removeChild(element);",
                            {noteId});
}

void NoteEditorController::loadView()
{
    setView(std::make_shared<View>(Rect{{0, 0}, {kTextFrame.size.width, kTextFrame.origin.y + kTextFrame.size.height}}));
}

void NoteEditorController::viewDidLoad()
{
    // The bar belongs to the editor's own view, so it shows however the
    // editor is presented.
    m_navigationBar = std::make_shared<View>(kBarFrame);
    m_deleteButton = std::make_shared<Button>(Rect{{8, 6}, {150, 32}});
    m_deleteButton->setTitle(deleteTitle());
    m_deleteButton->addAction(ControlEvent::TouchUpInside, [this](Control&) { deleteNote(); });
    m_doneButton = std::make_shared<Button>(Rect{{kBarFrame.size.width - 80, 6}, {72, 32}});
    m_doneButton->setTitle(noteEditorText("Done"));
    m_doneButton->addAction(ControlEvent::TouchUpInside, [this](Control&) { doneButton(); });
    m_navigationBar->addSubview(m_deleteButton);
    m_navigationBar->addSubview(m_doneButton);
    view()->addSubview(m_navigationBar);
}

std::u16string NoteEditorController::deleteTitle() const
{
    return noteEditorText(m_kind == Kind::Footnote ? "Delete Footnote" : "Delete Comment");
}

void NoteEditorController::setNoteContent(const std::u16string& content)
{
    if (!m_contentView) {
        m_contentView = std::make_shared<TextView>(kTextFrame);
        m_contentView->setDelegate(m_textDelegate);
        // First in the view, so that the window gives it the keyboard.
        view()->insertSubviewAtIndex(m_contentView, 0);
    }
    m_contentView->setText(content);
    m_contentView->setSelectedRange(Range{0, 0});
}

void NoteEditorController::viewWillAppear(bool)
{
    // So that the page can put its caret back when the editor closes.
    if (std::shared_ptr<NoteEditorDelegate> delegate = m_delegate.lock())
        delegate->notePage().send("saveCaretSelection();");
}

void NoteEditorController::viewDidAppear(bool)
{
    if (m_contentView)
        m_contentView->becomeFirstResponder();
}

void NoteEditorController::viewDidDisappear(bool)
{
    notifyClosed();
}

void NoteEditorController::writeBack()
{
    std::shared_ptr<NoteEditorDelegate> delegate = m_delegate.lock();
    if (!delegate || !m_contentView)
        return;
    delegate->notePage().send(writeBackScript(m_noteId, m_contentView->text()));
    delegate->documentIsDirty();
}

void NoteEditorController::notifyClosed()
{
    std::shared_ptr<NoteEditorDelegate> delegate = m_delegate.lock();
    if (!delegate)
        return;
    if (m_kind == Kind::Footnote)
        delegate->dismissFootnote();
    else
        delegate->dismissAnnotation();
}

void NoteEditorController::doneButton()
{
    std::weak_ptr<NoteEditorController> self = std::static_pointer_cast<NoteEditorController>(sharedAs<ViewController>());
    dismissViewControllerAnimated(true, [self] {
        if (std::shared_ptr<NoteEditorController> editor = self.lock())
            editor->notifyClosed();
    });
}

void NoteEditorController::deleteNote()
{
    std::shared_ptr<AlertController> sheet = AlertController::make(u"", u"", AlertControllerStyle::ActionSheet);
    sheet->addAction(AlertAction::make(noteEditorText("Cancel", "DocKitUI"), AlertActionStyle::Cancel));
    std::weak_ptr<NoteEditorController> self = std::static_pointer_cast<NoteEditorController>(sharedAs<ViewController>());
    sheet->addAction(AlertAction::make(deleteTitle(), AlertActionStyle::Destructive, [self](AlertAction&) {
        std::shared_ptr<NoteEditorController> editor = self.lock();
        if (!editor)
            return;
        if (std::shared_ptr<NoteEditorDelegate> delegate = editor->m_delegate.lock()) {
            delegate->notePage().send(removeScript(editor->m_noteId));
            delegate->documentIsDirty();
        }
        editor->doneButton();
    }));
    sheet->setModalPresentationStyle(ModalPresentationStyle::Popover);
    if (std::shared_ptr<PopoverPresentationController> popover = sheet->popoverPresentationController()) {
        popover->setSourceView(m_deleteButton);
        popover->setSourceRect(Rect{{0, 0}, m_deleteButton ? m_deleteButton->frame().size : Size{}});
        // A tap outside only closes the sheet.
        popover->setPassthroughViews({});
    }
    presentViewController(sheet, true);
}

} // namespace folio
