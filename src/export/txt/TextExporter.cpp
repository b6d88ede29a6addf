#include "export/txt/TextExporter.h"

#include "engine/html/writer/TEHTMLWriter.h"
#include "engine/model/TEAttributeKeys.h"
#include "formats/html/HTMLPlainText.h"
#include "formats/rtf/DKRTFReader.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/MutableAttributedString.h"


namespace folio {

namespace {

// A rich-text file's text as a reader sees it on the page: each list item
// after its marker, and the footnotes' text, numbered, at the end. The text
// goes through the same HTML as the printed page, so the numbering is the
// page's own.
Result<std::u16string> richText(const ExportSource& source)
{
    // The words do not depend on the fonts, which only the style of the HTML
    // below would name.
    Result<DKRTFReadResult> read = source.fileAsRTF(DKRTFReader::Fonts::Omitted);
    if (!read)
        return read.error();
    const bool endsWithParagraph = !read->text.string().empty() && read->text.string().back() == u'\n';
    // Writing pictures' HTML would file them away, and they have no text.
    MutableAttributedString text = ExportSource::withoutPictures(std::move(read->text));

    TEHTMLWriterSettings settings;
    settings.forPrint = true;
    settings.keepsPlaceholders = false;
    settings.stylesRuns = false;
    settings.leavesOutHidden = true;
    TEHTMLWriter writer(std::move(text), settings);
    writer.setUseAppleConvertedSpace(false);
    HTMLPlainText::Options options;
    options.listMarkers = true;
    options.keepsWhiteSpace = true;
    std::u16string plain = HTMLPlainText::plainText(writer.HTMLFragmentData(), options);
    // The text ends as the document does, with its last paragraph's end.
    if (endsWithParagraph && !plain.empty())
        plain += u'\n';
    return ExportSource::withoutBlanksAfterTabs(std::move(plain));
}

} // namespace

Result<std::string> TextExporter::contents(const ExportSource& source, ExportSource::OpenEditor openEditor)
{
    Result<std::u16string> text = source.kind() == DocumentKind::RTF && !source.exportsAsPlainText()
        ? richText(source)
        : source.plainText(openEditor);
    if (!text)
        return text.error();
    return toUtf8(*text);
}

Result<std::shared_ptr<ExportTask>> TextExporter::start(const ExportSource& source, ExportRequest request,
                                                        Completion completion)
{
    return finishWithContents(contents(source, request.openEditor), request.outputPath, completion);
}

} // namespace folio
