#include "engine/html/writer/HTMLAttachmentWriter.h"

#include "engine/attachments/TEImageTextAttachment.h"
#include "engine/attachments/TEObjectTextAttachment.h"
#include "engine/attachments/TETextAttachment.h"
#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

namespace folio {

std::optional<std::u16string> HTMLAttachmentWriter::htmlForAttachment(const AttributeValue& value,
                                                                       const HTMLWriterContext& context,
                                                                       const std::string& fontCSS)
{
    const auto* attachment = value.as<TETextAttachment>();
    const auto* persistence = dynamic_cast<const TETextAttachmentHTMLPersistence*>(&value);
    if (!attachment)
        return std::nullopt;
    // A picture named beside the file, not found, is still the file's.
    if (!persistence && !value.as<TEImageTextAttachment>() && !context.settings.forPrint && !context.settings.forEPub &&
        !attachment->attributeForKey(TEObjectTextAttachment::kAttachmentTypeKey) && !attachment->referencedPictureName().empty())
        return attachment->pictureReferenceHTML();
    // Print has no picture to show where the file's is not at hand (a Mac
    // editor's RTF without its package): its name stands in its place, as
    // word processors print it, rather than nothing at all.
    if (!persistence && !value.as<TEImageTextAttachment>() && context.settings.forPrint && !context.settings.forEPub
        && !attachment->attributeForKey(TEObjectTextAttachment::kAttachmentTypeKey))
        if (const std::string name = attachment->referencedPictureName(); !name.empty())
            return HTMLTextEscaper::escape(toUtf16(name));
    if (!persistence)
        return std::nullopt;

    // Every note of a long document asks, so the names are made once.
    static const std::u16string kAnnotationType = toUtf16(TEObjectTextAttachment::kAnnotationType);
    static const std::u16string kFootnoteType = toUtf16(TEObjectTextAttachment::kFootnoteType);
    const std::u16string* type = attachment->attributeForKey(TEObjectTextAttachment::kAttachmentTypeKey);
    bool isAnnotation = type && *type == kAnnotationType;
    bool isFootnote = type && *type == kFootnoteType;
    const auto* image = value.as<TEImageTextAttachment>();
    if (!isAnnotation && !isFootnote && !image)
        return std::nullopt;

    const TEHTMLWriterSettings& settings = context.settings;
    if (isFootnote && settings.listsNotesAtEnd && !settings.forPrint && !settings.forEPub) {
        if (context.printedNotes) {
            const std::u16string* text = attachment->contentsString();
            context.printedNotes->push_back({context.footnotes.nextNumber(), text ? *text : std::u16string(), fontCSS});
        }
        return u"<sup>" + toUtf16(std::to_string(context.footnotes.takeNextNumber())) + u"</sup>";
    }
    if (settings.forPrint || settings.forEPub) {
        // Comments belong to the editing page.
        if (isAnnotation)
            return std::nullopt;
        if (isFootnote) {
            // The page shows the number; the note's text follows at the end
            // of the document, where a printed page has room for it.
            if (context.printedNotes) {
                const std::u16string* text = attachment->contentsString();
                context.printedNotes->push_back({context.footnotes.nextNumber(), text ? *text : std::u16string(), fontCSS});
            }
            if (const auto* note = value.as<TEObjectTextAttachment>())
                return note->stringByEncodingAsHTMLAndIncludeObjects(false, context.footnotes);
            return u"<sup>" + toUtf16(std::to_string(context.footnotes.takeNextNumber())) + u"</sup>";
        }
    }

    if (image) {
        std::u16string html = settings.pictureSink
            ? image->stringByEncodingAsHTML(*settings.pictureSink)
            : image->stringByEncodingAsHTMLWithFileName(settings.fileName, settings.forEPub);
        if (!settings.forEPub) {
            // The print page pads every picture of a page of its own; a
            // document's picture stands where its text puts it.
            if (settings.forPrint && html.starts_with(u"<img")) {
                const std::size_t style = html.find(u" style=\"");
                if (style != std::u16string::npos)
                    html.insert(style + 8, u"padding:0;");
                else
                    html.insert(4, u" style=\"padding:0;\"");
            }
            return html;
        }
        // ePub readers size an inline picture by its box; the box takes the
        // size the picture was written at.
        Size size = image->displaySize();
        return toUtf16("<span style=\"display:inline-block;text-indent:0px;vertical-align:baseline;width:" +
                       formatFixed(size.width, 0) + "px;height:" + formatFixed(size.height, 0) + "px;\">") +
               html + u"</span>";
    }
    return persistence->stringByEncodingAsHTML(context.footnotes);
}

} // namespace folio
