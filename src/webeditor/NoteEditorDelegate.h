#pragma once

namespace folio {

class PageConnection;

// What the footnote and comment editors need of the web-view editor that
// opens them: its page, to write the note back, and the two calls they make.
// Every web-view editor can present them through this.
class NoteEditorDelegate {
public:
    virtual ~NoteEditorDelegate() = default;
    virtual PageConnection& notePage() = 0;
    virtual void documentIsDirty() = 0;
    // The editor closed, by any way; may come more than once per editor.
    virtual void dismissFootnote() {}
    virtual void dismissAnnotation() {}
};

} // namespace folio
