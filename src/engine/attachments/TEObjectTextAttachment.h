#pragma once

#include "engine/attachments/TETextAttachment.h"
#include "engine/attachments/TETextAttachmentHTMLPersistence.h"

#include <memory>
#include <optional>
#include <string>

namespace folio {

class TEFootnoteCounter;

// A footnote or a comment (annotation) in the text, written into the editing
// page as an object element that carries the note text in "data-content".
// The attributes say which it is: "attachmentType" is "footnote" or
// "annotation", and comments keep their "annotationAuthor".
class TEObjectTextAttachment final : public TETextAttachment, public TETextAttachmentHTMLPersistence {
public:
    static constexpr const char* kAttachmentTypeKey = "attachmentType";
    static constexpr const char* kAnnotationAuthorKey = "annotationAuthor";
    // "endnote" for a note that stands at the end of the document rather
    // than at the foot of its page, as a word processor's file said.
    static constexpr const char* kNoteKindKey = "data-note-kind";
    // A comment about a range of words: the tag those words carry
    // (TECommentRangeAttribute).
    static constexpr const char* kCommentRangeKey = "data-range";
    // The note's group as another program's file wrote it, with its looks,
    // kept for the save (the RTF reader and writer know its form).
    static constexpr const char* kKeptFormKey = "data-rtf-form";
    static constexpr const char* kFootnoteType = "footnote";
    static constexpr const char* kAnnotationType = "annotation";
    // Comments without an author are signed by the application's user.
    static constexpr const char* kApplicationName = "Folio";

    static std::shared_ptr<TEObjectTextAttachment> attachmentWithElement(const TETextAttachmentElement& element,
                                                                         const TETextAttachmentOptions& options);
    // A footnote or a comment made by a reader of another format.
    static std::shared_ptr<TEObjectTextAttachment> footnote(std::u16string text);
    static std::shared_ptr<TEObjectTextAttachment> annotation(std::u16string text, std::u16string author);

    bool isFootnote() const;
    bool isAnnotation() const;

    // The object element. A footnote takes the next number of `footnotes`.
    std::optional<std::u16string> stringByEncodingAsHTML(TEFootnoteCounter& footnotes) const override;
    // Print and ePub show only the note's number ("<sup>1</sup>"); the
    // editing page gets the whole element.
    std::u16string stringByEncodingAsHTMLAndIncludeObjects(bool includeObjects, TEFootnoteCounter& footnotes) const;
};

} // namespace folio
