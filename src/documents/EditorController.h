#pragma once

#include "platform/ui/ViewController.h"

#include <functional>
#include <memory>

namespace folio {

class View;
class WebView;

// What a document needs of the editor it makes: the rich-text editor and the
// two QV editors implement all of it on their web page; the Markdown editor
// has no page (see MarkdownEditorController). The document owns its editor;
// the editor holds the document without owning it.
class EditorController : public ViewController {
public:
    using Completion = std::function<void()>;

    // The editor's page, or null for an editor without one. The document reads
    // the content, line height, text indent, header and footer through it
    // while saving.
    virtual WebView* webViewEditor() = 0;

    // Whether the editor prepares saves; the document then calls
    // documentWillSave on the main thread, and waits, before reading the page.
    virtual bool preparesSaves() const { return true; }
    // Disables the close items, starts the autosave indicator and writes the
    // ruler margins into the document.
    virtual void documentWillSave() = 0;

    // Saves the document to its file, overwriting; the completion runs when
    // the save is done. Without a document nothing is saved, but the
    // completion still runs, so that callers waiting on it go on.
    virtual void saveCurrentDocument(Completion completion) = 0;

    // The document has closed: the editor stops its timers and delayed work
    // and lets go of what it holds for the document.
    virtual void documentDidClose() = 0;

    // The controller is made only to render a preview picture.
    virtual void setForPreviewGeneration(bool forPreview) = 0;

    // The editor's zoom; editors without one ignore it.
    virtual void setScale(double) {}

    // The view pickers animate from.
    virtual std::shared_ptr<View> textView() = 0;
};

} // namespace folio
