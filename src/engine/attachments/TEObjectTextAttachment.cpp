#include "engine/attachments/TEObjectTextAttachment.h"

#include "engine/html/HTMLString.h"
#include "engine/attachments/TEAttachmentSource.h"
#include "engine/model/TEFootnoteCounter.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/UUID.h"
#include "platform/foundation/Unicode.h"

namespace folio {

namespace {

std::u16string defaultAuthor()
{
    return toUtf16(std::string(TEObjectTextAttachment::kApplicationName) + "_User");
}

bool hasClass(const std::u16string& classes, std::u16string_view name)
{
    for (const std::u16string& token : componentsSeparatedByString(std::u16string_view(classes), u" ")) {
        if (token == name)
            return true;
    }
    return false;
}

} // namespace

std::shared_ptr<TEObjectTextAttachment> TEObjectTextAttachment::attachmentWithElement(
    const TETextAttachmentElement& element, const TETextAttachmentOptions& options)
{
    auto attachment = std::make_shared<TEObjectTextAttachment>();
    attachment->initWithElement(element, options);
    const auto& attributes = element.attributes;
    if (auto source = attributes.find("src"); source != attributes.end())
        attachment->setContentURL(TEAttachmentSource::mediaURL(source->second, options.baseURL));
    if (auto content = attributes.find("data-content"); content != attributes.end())
        attachment->setContents(content->second);

    auto classes = attributes.find("class");
    if (classes == attributes.end())
        return attachment;
    // NOTE: an object of any other class keeps the element's own attributes,
    // so that it is written back as it came.
    if (hasClass(classes->second, u"annotation")) {
        auto author = attributes.find("data-author");
        StringMapValue::Map kept{{kAttachmentTypeKey, toUtf16(kAnnotationType)},
                                 {kAnnotationAuthorKey, author != attributes.end() ? author->second : defaultAuthor()}};
        if (auto range = attributes.find(kCommentRangeKey); range != attributes.end() && !range->second.empty())
            kept.emplace(kCommentRangeKey, range->second);
        if (auto form = attributes.find(kKeptFormKey); form != attributes.end())
            kept.emplace(kKeptFormKey, form->second);
        attachment->setAttributes(std::move(kept));
    } else if (hasClass(classes->second, u"footnote")) {
        // A note read in a style of its document's style sheet keeps the
        // style's name for the save.
        StringMapValue::Map kept{{kAttachmentTypeKey, toUtf16(kFootnoteType)}};
        if (auto style = attributes.find("data-style"); style != attributes.end())
            kept.emplace("data-style", style->second);
        // And an endnote stays one.
        if (auto kind = attributes.find(kNoteKindKey); kind != attributes.end() && kind->second == u"endnote")
            kept.emplace(kNoteKindKey, kind->second);
        // And the group another program wrote it in goes back with the save.
        if (auto form = attributes.find(kKeptFormKey); form != attributes.end())
            kept.emplace(kKeptFormKey, form->second);
        attachment->setAttributes(std::move(kept));
    }
    return attachment;
}

std::shared_ptr<TEObjectTextAttachment> TEObjectTextAttachment::footnote(std::u16string text)
{
    auto attachment = std::make_shared<TEObjectTextAttachment>();
    attachment->setContents(std::move(text));
    attachment->setAttributes({{kAttachmentTypeKey, toUtf16(kFootnoteType)}});
    return attachment;
}

std::shared_ptr<TEObjectTextAttachment> TEObjectTextAttachment::annotation(std::u16string text, std::u16string author)
{
    auto attachment = std::make_shared<TEObjectTextAttachment>();
    attachment->setContents(std::move(text));
    attachment->setAttributes(
        {{kAttachmentTypeKey, toUtf16(kAnnotationType)}, {kAnnotationAuthorKey, std::move(author)}});
    return attachment;
}

bool TEObjectTextAttachment::isFootnote() const
{
    const std::u16string* type = attributeForKey(kAttachmentTypeKey);
    return type && *type == toUtf16(kFootnoteType);
}

bool TEObjectTextAttachment::isAnnotation() const
{
    const std::u16string* type = attributeForKey(kAttachmentTypeKey);
    return type && *type == toUtf16(kAnnotationType);
}

std::optional<std::u16string> TEObjectTextAttachment::stringByEncodingAsHTML(TEFootnoteCounter& footnotes) const
{
    const std::u16string* text = contentsString();
    std::u16string content = text ? stringByAddingHTMLEntities(*text) : std::u16string();

    std::u16string html = u"<object";
    if (contentURL())
        html += u" src=\"" + stringByAddingHTMLEntities(toUtf16(contentURL()->absoluteString())) + u"\"";

    // The note's own attributes, its style and any others all go inside the
    // start tag, before the marker the page shows.
    std::u16string marker;
    if (isAnnotation()) {
        const std::u16string* author = attributeForKey(kAnnotationAuthorKey);
        std::u16string signedBy = author && !author->empty() ? *author : defaultAuthor();
        html += u" id='note_" + toUtf16(makeUUIDString()) + u"' class='annotation' data-author='"
            + stringByAddingHTMLEntities(signedBy) + u"' data-content='" + content + u"' contenteditable=false";
        marker = u"[\U0001F4AC]";
    } else if (isFootnote()) {
        html += u" id='footnote_" + toUtf16(makeUUIDString()) + u"' class='footnote' data-content='" + content
            + u"' contenteditable=false";
        marker = toUtf16(formatInCLocale("<sup>  [%llu] </sup>",
                                         static_cast<unsigned long long>(footnotes.takeNextNumber())));
    }
    std::u16string style = styleForVerticalAlignmentAndSize(originalSize());
    if (!style.empty())
        html += u" style=\"" + style + u"\"";
    html += htmlForOtherAttributes({"src", "style", "width", "height", kAnnotationAuthorKey, kAttachmentTypeKey});
    html += u">" + marker + u"</object>";
    return html;
}

std::u16string TEObjectTextAttachment::stringByEncodingAsHTMLAndIncludeObjects(bool includeObjects,
                                                                                TEFootnoteCounter& footnotes) const
{
    if (includeObjects)
        return stringByEncodingAsHTML(footnotes).value_or(u"");
    return toUtf16(
        formatInCLocale("<sup>%llu</sup>", static_cast<unsigned long long>(footnotes.takeNextNumber())));
}

} // namespace folio
