#pragma once

#include "platform/ui/TextViewDelegate.h"
#include "platform/ui/ViewController.h"

#include <memory>
#include <string>

namespace folio {

class Button;
class NoteEditorDelegate;
class TextView;

// The popover that edits the text of one footnote or comment of a page. The
// note is an element whose text lives in its "data-content" attribute; every
// change is written back at once and marks the document changed, so there is
// nothing to save on closing. FootnoteViewController and
// AnnotationViewController differ only in their names, the delete title and
// the closing call they make.
class NoteEditorController : public ViewController {
public:
    enum class Kind { Footnote, Annotation };

    static constexpr Size kPreferredSize{250, 250};
    static constexpr Rect kTextFrame{{0, 44}, {320, 200}};
    static constexpr Rect kBarFrame{{0, 0}, {320, 44}};

    explicit NoteEditorController(Kind kind);
    ~NoteEditorController() override;

    Kind kind() const { return m_kind; }
    void setDelegate(std::weak_ptr<NoteEditorDelegate> delegate) { m_delegate = std::move(delegate); }
    const std::string& noteId() const { return m_noteId; }
    void setNoteId(std::string noteId) { m_noteId = std::move(noteId); }
    // Shows the text with the caret at the start.
    void setNoteContent(const std::u16string& content);
    const std::shared_ptr<TextView>& contentView() const { return m_contentView; }
    // The editor's own bar: the delete button on the left, Done on the right.
    const std::shared_ptr<View>& navigationBar() const { return m_navigationBar; }
    const std::shared_ptr<Button>& deleteButton() const { return m_deleteButton; }
    const std::shared_ptr<Button>& doneItem() const { return m_doneButton; }

    // The script that reads a note's text, for the editor that opens one.
    static std::string contentScript(const std::string& noteId);
    // The script that writes it back.
    static std::string writeBackScript(const std::string& noteId, const std::u16string& content);
    static std::string removeScript(const std::string& noteId);

    void doneButton();
    // Asks before deleting, in an action sheet anchored at the delete button.
    void deleteNote();
    // The page gets the text as it stands.
    void writeBack();

protected:
    void loadView() override;
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;
    void viewDidDisappear(bool animated) override;

private:
    class TextDelegate;
    void notifyClosed();
    std::u16string deleteTitle() const;

    Kind m_kind;
    std::weak_ptr<NoteEditorDelegate> m_delegate;
    std::string m_noteId;
    std::shared_ptr<TextView> m_contentView;
    std::shared_ptr<TextDelegate> m_textDelegate;
    std::shared_ptr<View> m_navigationBar;
    std::shared_ptr<Button> m_deleteButton;
    std::shared_ptr<Button> m_doneButton;
};

class FootnoteViewController final : public NoteEditorController {
public:
    FootnoteViewController() : NoteEditorController(Kind::Footnote) {}
    void setFootnoteContent(const std::u16string& content) { setNoteContent(content); }
    void setFootnoteId(std::string id) { setNoteId(std::move(id)); }
    const std::string& footnoteId() const { return noteId(); }
    void deleteFootnote() { deleteNote(); }
};

class AnnotationViewController final : public NoteEditorController {
public:
    AnnotationViewController() : NoteEditorController(Kind::Annotation) {}
    void setAnnotationContent(const std::u16string& content) { setNoteContent(content); }
    void setAnnotationId(std::string id) { setNoteId(std::move(id)); }
    const std::string& annotationId() const { return noteId(); }
    void deleteAnnotation() { deleteNote(); }
};

} // namespace folio
