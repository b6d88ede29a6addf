#include "export/ExportSource.h"

#include "formats/html/CSSFontRules.h"
#include "formats/rtf/DKRTFReader.h"
#include "documents/EditorController.h"
#include "formats/html/HTMLPlainText.h"
#include "formats/markdown/MarkdownConverter.h"
#include "documents/MarkdownEditorController.h"
#include "export/pdf/PDFPageTemplates.h"
#include "formats/rtf/RTFPaperColor.h"
#include "documents/TextDocument.h"
#include "engine/html/HTMLString.h"
#include "engine/html/writer/TEHTMLWriter.h"
#include "platform/docframework/TypeIdentifiers.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/Deflate.h"
#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/StringEncoding.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/web/WebView.h"

#include <filesystem>

namespace folio {

namespace {

constexpr const char* kQVContentScript = "tinymce.activeEditor.getContent();";
constexpr const char* kRichTextContentScript = "document.getElementById('content').innerHTML";

Error sourceError(ExportSource::ErrorCode code, std::string message)
{
    return Error{ExportSource::kErrorDomain, code, std::move(message)};
}

bool samePath(const std::string& a, const std::string& b)
{
    std::error_code error;
    std::filesystem::path first = std::filesystem::weakly_canonical(a, error);
    if (error)
        return a == b;
    std::filesystem::path second = std::filesystem::weakly_canonical(b, error);
    if (error)
        return a == b;
    return first == second;
}

std::u16string replacingAll(std::u16string text, std::u16string_view target, std::u16string_view replacement)
{
    for (std::size_t at = text.find(target); at != std::u16string::npos;
         at = text.find(target, at + replacement.size()))
        text.replace(at, target.size(), replacement);
    return text;
}

std::u16string withoutPlaceholders(std::u16string text)
{
    std::erase(text, u'\uFEFF');
    return text;
}

} // namespace

ExportSource::ExportSource(std::string path, const TextDocument* openDocument, UserDefaults* defaults)
    : m_path(std::move(path))
    , m_kind(documentKindForPath(m_path))
    , m_openDocument(openDocument)
    , m_defaults(defaults ? *defaults : UserDefaults::standardUserDefaults())
{
}

std::string ExportSource::fileName() const
{
    return std::filesystem::path(m_path).filename().string();
}

std::string ExportSource::displayedName() const
{
    return std::filesystem::path(m_path).stem().string();
}

std::string ExportSource::fileType() const
{
    switch (m_kind) {
    case DocumentKind::Markdown:
        return TypeIdentifiers::kMarkdown;
    case DocumentKind::QVText:
        return TypeIdentifiers::kQVText;
    case DocumentKind::QVOutline:
        return TypeIdentifiers::kQVOutline;
    case DocumentKind::TeX:
        return TypeIdentifiers::kTeX;
    case DocumentKind::RTF:
        return TypeIdentifiers::typeIdentifierForPath(m_path);
    }
    return TypeIdentifiers::kData;
}

const TextDocument* ExportSource::editedDocument() const
{
    if (!m_openDocument || !m_openDocument->currentTextViewController())
        return nullptr;
    return samePath(m_openDocument->fileURL(), m_path) ? m_openDocument : nullptr;
}

Result<std::string> ExportSource::fileBytes() const
{
    Result<Data> data = Data::dataWithContentsOfFile(m_path);
    if (!data)
        return sourceError(Unreadable, data.error().message);
    return std::string(reinterpret_cast<const char*>(data->bytes()), data->length());
}

Result<std::u16string> ExportSource::fileText() const
{
    Result<std::string> bytes = fileBytes();
    if (!bytes)
        return bytes.error();
    // Documents open with the same fallback, so whatever opens also exports.
    if (auto text = stringWithData(*bytes, StringEncoding::utf8()))
        return *text;
    if (auto text = stringWithData(*bytes, StringEncoding::windowsLatin1()))
        return *text;
    return sourceError(NotText, m_path + " is not text");
}

Result<std::u16string> ExportSource::fileRTF() const
{
    Result<std::u16string> text = fileText();
    if (!text)
        return text;
    return removeCustomTags(std::move(*text), m_defaults);
}

bool ExportSource::exportsAsPlainText() const
{
    if (m_kind == DocumentKind::TeX)
        return true;
    if (m_kind != DocumentKind::RTF)
        return false;
    Result<std::u16string> text = fileText();
    return text && !DKRTFReader::isRTF(*text);
}

std::u16string ExportSource::removeCustomTags(std::u16string rtf, UserDefaults& defaults)
{
    defaults.setString("currentPaperColor", takePaperColorFromRTF(rtf));
    return rtf;
}

std::string ExportSource::escapedTextHTML(std::u16string_view text)
{
    return "<div style=\"white-space: pre-wrap;\">" + toUtf8(HTMLTextEscaper::escape(text)) + "</div>";
}

Result<std::string> ExportSource::markdownHTML(OpenEditor openEditor) const
{
    if (openEditor == OpenEditor::Use) {
        if (const TextDocument* document = editedDocument()) {
            if (auto* editor = dynamic_cast<MarkdownEditorController*>(document->currentTextViewController().get()))
                return editor->html();
        }
    }
    Result<std::u16string> text = fileText();
    if (!text)
        return text.error();
    std::shared_ptr<MarkdownConverter> converter = MarkdownConverter::shared();
    if (!converter)
        return sourceError(NoMarkdownConverter, "No Markdown converter is available");
    return toUtf8(converter->html(*text));
}

Result<std::string> ExportSource::QVContent(OpenEditor openEditor) const
{
    if (openEditor == OpenEditor::Use) {
        if (const TextDocument* document = editedDocument()) {
            if (WebView* page = document->currentTextViewController()->webViewEditor()) {
                // A page that does not answer leaves the saved file to export.
                std::string content = page->stringByEvaluatingJavaScript(kQVContentScript);
                if (!content.empty())
                    return content;
            }
        }
    }
    Result<std::string> bytes = fileBytes();
    if (!bytes)
        return bytes.error();
    Result<Data> inflated =
        Deflate::decompress(std::span(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()));
    if (!inflated)
        return sourceError(CorruptQV, m_path + " is damaged: " + inflated.error().message);
    std::string_view html(reinterpret_cast<const char*>(inflated->bytes()), inflated->length());
    if (!stringWithData(html, StringEncoding::utf8()))
        return sourceError(CorruptQV, m_path + " is damaged: its text is not UTF-8");
    return std::string(html);
}

Result<std::string> ExportSource::QVHTML(OpenEditor openEditor) const
{
    Result<std::string> content = QVContent(openEditor);
    if (!content)
        return content;
    std::string fontRules = CSSFontRules::currentRules(CSSFontRules::CustomNameVariants::AlsoWithoutBlanks);
    if (m_kind == DocumentKind::QVOutline)
        return PDFPageTemplates::qvOutlinePage(fontRules, *content);
    return "<style>" + fontRules + PDFPageTemplates::qvTextRules() + "</style>" + *content;
}

Result<std::string> ExportSource::RTFHTML(bool forPrint, bool namedDocument) const
{
    Result<std::u16string> rtf = fileRTF();
    if (!rtf)
        return rtf.error();
    std::optional<std::string> documentName;
    if (namedDocument)
        documentName = fileName();
    Result<AttributedString> text = DKRTFReader::parseRTFString(*rtf, documentName, m_defaults);
    if (!text)
        return sourceError(NotRTF, m_path + " cannot be read as RTF: " + text.error().message);
    TEHTMLWriterSettings settings;
    settings.forPrint = forPrint;
    settings.fileName = fileName();
    return toUtf8(htmlString(*text, settings));
}

Result<std::string> ExportSource::plainTextHTML() const
{
    Result<std::u16string> text = fileText();
    if (!text)
        return text.error();
    return escapedTextHTML(*text);
}

Result<std::string> ExportSource::HTMLString(OpenEditor openEditor) const
{
    if (exportsAsPlainText())
        return plainTextHTML();
    switch (m_kind) {
    case DocumentKind::Markdown:
        return markdownHTML(openEditor);
    case DocumentKind::QVText:
    case DocumentKind::QVOutline:
        return QVHTML(openEditor);
    default:
        break;
    }
    if (openEditor == OpenEditor::Use) {
        if (const TextDocument* document = editedDocument()) {
            if (WebView* page = document->currentTextViewController()->webViewEditor()) {
                std::string content = page->stringByEvaluatingJavaScript(kRichTextContentScript);
                if (!content.empty())
                    return content;
            }
        }
    }
    return RTFHTML(false, false);
}

Result<std::string> ExportSource::HTMLData(OpenEditor openEditor) const
{
    Result<std::string> html = HTMLString(openEditor);
    if (!html)
        return html;
    return toUtf8(stringByAddingHTMLEntitiesInText(toUtf16(*html)));
}

Result<std::u16string> ExportSource::plainText(OpenEditor openEditor) const
{
    if (exportsAsPlainText()) {
        Result<std::u16string> text = fileText();
        if (!text)
            return text;
        return withoutPlaceholders(std::move(*text));
    }
    switch (m_kind) {
    case DocumentKind::Markdown: {
        std::optional<std::u16string> source;
        if (openEditor == OpenEditor::Use) {
            if (const TextDocument* document = editedDocument()) {
                if (auto* editor =
                        dynamic_cast<MarkdownEditorController*>(document->currentTextViewController().get()))
                    source = editor->text();
            }
        }
        if (!source) {
            Result<std::u16string> text = fileText();
            if (!text)
                return text;
            source = std::move(*text);
        }
        std::shared_ptr<MarkdownConverter> converter = MarkdownConverter::shared();
        if (!converter)
            return sourceError(NoMarkdownConverter, "No Markdown converter is available");
        return withoutPlaceholders(replacingAll(converter->plainText(*source), u"\t ", u"\t"));
    }
    case DocumentKind::QVText:
    case DocumentKind::QVOutline: {
        Result<std::string> content = QVContent(openEditor);
        if (!content)
            return content.error();
        return withoutPlaceholders(HTMLPlainText::plainText(*content));
    }
    default:
        break;
    }
    Result<std::u16string> rtf = fileRTF();
    if (!rtf)
        return rtf;
    Result<AttributedString> text =
        DKRTFReader::parseRTFString(replacingAll(std::move(*rtf), u"}\u00AC", u"}"), std::nullopt, m_defaults);
    if (!text)
        return sourceError(NotRTF, m_path + " cannot be read as RTF: " + text.error().message);
    return withoutPlaceholders(replacingAll(text->string(), u"\t ", u"\t"));
}

Result<std::string> ExportSource::PDFSourceHTML(OpenEditor openEditor, bool namedDocument) const
{
    if (exportsAsPlainText())
        return plainTextHTML();
    switch (m_kind) {
    case DocumentKind::Markdown:
        return markdownHTML(openEditor);
    case DocumentKind::QVText:
    case DocumentKind::QVOutline:
        return QVContent(openEditor);
    default:
        return RTFHTML(true, namedDocument);
    }
}

} // namespace folio
