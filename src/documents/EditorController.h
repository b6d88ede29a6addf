#pragma once

#include "documents/EditorContent.h"
#include "platform/foundation/Error.h"
#include "platform/ui/ViewController.h"

#include <functional>
#include <memory>

namespace folio {

class TextDocument;
class View;

// What a document needs of the editor it makes: the rich-text editor and the
// two QV editors implement it on their web page, the Markdown editor on its
// text view (see MarkdownEditorController). The document owns its editor;
// the editor holds the document without owning it. Nothing outside the
// editor sees its page: what it holds comes out as an EditorContent.
class EditorController : public ViewController {
public:
    using Completion = std::function<void()>;
    static constexpr const char* kErrorDomain = "EditorController";
    enum ErrorCode { PageNotReady = 1, NoAnswer = 2, BadAnswer = 3 };

    // The editor's content as a value. Main thread only: an editor with a
    // page asks it once and waits for the answer while the run loop serves
    // other events. An editor whose page is not ready, does not answer or
    // answers nonsense gives an error, never an empty success, so that a
    // save built on it fails and leaves the file as it was.
    virtual Result<EditorContent> content(EditorContent::Parts parts = EditorContent::Parts::Document) = 0;

    // The content in two steps, so that a save does not hold the main thread
    // while a long document's content is made. Called on the main thread,
    // the editor takes there what only it can (the page's answer, its own
    // settings); the maker it answers makes the content from those alone,
    // on any thread, once, while the editor goes on. By default the content
    // is made at once and the maker hands it over.
    using ContentMaker = std::function<Result<EditorContent>()>;
    virtual ContentMaker contentMaker(EditorContent::Parts parts = EditorContent::Parts::Document);

    // Keys the person typed before the editor could take them (its page
    // still starting), and those it has handed on but its page has not yet
    // taken, are taken in now, waiting a bounded time: a save or a close
    // that follows keeps them. An error when they could not be; the caller
    // then tells the person that they were not saved.
    virtual Status takeTypedKeys() { return Status::success(); }
    // The same without waiting here: `done` is told once the keys are taken
    // in, or why they could not be. For a close, which may be asked for
    // while the page is in the middle of starting.
    virtual void whenTypedKeysTaken(std::function<void(Status)> done) { done(takeTypedKeys()); }

    // Whether the editor prepares saves; the document then calls
    // documentWillSave on the main thread, and waits, before asking for the
    // content.
    virtual bool preparesSaves() const { return true; }
    // Disables the close items and starts the autosave indicator.
    virtual void documentWillSave() = 0;

    // Saves the document to its file, overwriting; the completion runs when
    // the save is done. Without a document, or when the editor saves only
    // changes and there are none, nothing is saved, but the completion still
    // runs, so that callers waiting on it go on.
    void saveCurrentDocument(Completion completion);

    // The document has closed: the editor stops its timers and delayed work
    // and lets go of what it holds for the document.
    virtual void documentDidClose() = 0;

    // The controller is made only to render a preview picture.
    virtual void setForPreviewGeneration(bool forPreview) = 0;

    // The editor's zoom; editors without one ignore it.
    virtual void setScale(double) {}

    // The view pickers animate from.
    virtual std::shared_ptr<View> textView() = 0;

protected:
    // The edited document; null once it has closed.
    virtual TextDocument* editedDocument() const = 0;
    // Whether a save writes only a document with unsaved changes.
    virtual bool savesOnlyChanges() const { return false; }
    // Runs before the editor's own save, while there is a document, and
    // before it is asked whether there are changes to save.
    virtual void willSaveCurrentDocument() {}
    // Runs when the editor's own save has ended, if the editor is still there.
    virtual void didSaveCurrentDocument(bool) {}
};

} // namespace folio
