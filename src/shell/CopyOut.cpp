#include "shell/CopyOut.h"

#include "engine/attachments/InlinePictureSink.h"

#include "documents/EditorContent.h"
#include "documents/QVOutlineMarkup.h"
#include "formats/html/HTMLPlainText.h"
#include "engine/html/HTMLSanitizer.h"
#include "export/ExportSource.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/AlertAction.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/Pasteboard.h"

namespace folio {

std::u16string CopyOut::cleanedText(std::u16string_view text)
{
    std::u16string cleaned(text);
    std::erase(cleaned, u'\uFEFF');
    return cleaned;
}

std::shared_ptr<AlertController> CopyOut::confirmationAlert(Format format)
{
    std::string title;
    std::string message;
    if (format == Format::PlainText) {
        title = Localization::localizedString("Plain Text/Markdown", "Plain Text/Markdown", "DocKitUI");
        message = Localization::localizedString(
            "The document has been converted to plain text and copied into your Pasteboard. You can paste the text "
            "into other apps like Mail or Safari and use it in Wordpress, Blogger, Joomla, Tumblr, etc.",
            {}, "DocKitUI");
    } else {
        title = Localization::localizedString("Copy");
        message = Localization::localizedString(
            "The document has been converted to HTML source code and copied into your Pasteboard. You can paste "
            "this HTML into other apps like Mail or Safari and use it in Wordpress, Blogger, Joomla, Tumblr, etc.");
    }
    auto alert = AlertController::make(toUtf16(title), toUtf16(message), AlertControllerStyle::Alert);
    alert->addAction(AlertAction::make(toUtf16(Localization::localizedString("OK")), AlertActionStyle::Default));
    return alert;
}

std::shared_ptr<AlertController> CopyOut::copyFromContent(const EditorContent& content, DocumentKind kind,
                                                          Format format, Pasteboard& pasteboard)
{
    std::u16string text;
    if (kind == DocumentKind::QVOutline) {
        // The page shows each branch's handle as a character of its own.
        const std::string html = QVOutlineMarkup::withoutDragHandles(content.bodyHTML);
        text = cleanedText(format == Format::PlainText
                               ? HTMLPlainText::plainText(html)
                               : toUtf16(HTMLSanitizer::sanitizedHTML(html, HTMLSanitizer::Use::PageCopy)));
    } else if (format == Format::PlainText) {
        text = cleanedText(content.plainText.value_or(content.sourceText.value_or(u"")));
    } else {
        text = cleanedText(toUtf16(HTMLSanitizer::sanitizedHTML(content.bodyHTML, HTMLSanitizer::Use::PageCopy)));
    }
    std::string utf8 = toUtf8(text);
    pasteboard.setData(std::vector<std::uint8_t>(utf8.begin(), utf8.end()), kPasteboardTypeUTF8PlainText);
    return confirmationAlert(format);
}

Result<std::u16string> CopyOut::copyFromFile(const ExportSource& source, Format format, Pasteboard& pasteboard)
{
    std::u16string text;
    if (format == Format::PlainText) {
        Result<std::u16string> plain = source.plainText();
        if (!plain)
            return plain.error();
        text = cleanedText(*plain);
    } else {
        // Copied HTML travels alone: a file's pictures go inside it as data,
        // never as paths into the program's folders.
        InlinePictureSink pictures;
        Result<std::string> html = source.HTMLString(ExportSource::OpenEditor::Use, &pictures);
        if (!html)
            return html.error();
        text = cleanedText(toUtf16(*html));
    }
    std::string utf8 = toUtf8(text);
    pasteboard.setData(std::vector<std::uint8_t>(utf8.begin(), utf8.end()), kPasteboardTypeUTF8PlainText);
    return text;
}

} // namespace folio
