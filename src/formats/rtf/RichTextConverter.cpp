#include "formats/rtf/RichTextConverter.h"

#include "formats/rtf/DKRTFReader.h"
#include "formats/rtf/DKRTFWriter.h"
#include "engine/html/reader/TEHTMLAttributedStringBuilder.h"
#include "engine/html/writer/TEHTMLWriter.h"

#include <mutex>

namespace folio {

namespace {

// The engine's conversions. RTF writes run one at a time.
class EngineRichTextConverter final : public RichTextConverter {
public:
    explicit EngineRichTextConverter(TEHTMLReaderOptions HTMLOptions)
        : m_HTMLOptions(std::move(HTMLOptions))
    {
    }

    Result<DKRTFReadResult> readRTF(const DKRTFReaderSource& rtf, const std::string& documentName,
                                    const DKRTFReadWatch* watch) override
    {
        Result<DKRTFReadResult> read = DKRTFReader::read(rtf, documentName, DKRTFReader::Fonts::Resolved,
                                                         DKRTFReader::NoteForms::Kept, watch);
        if (!read)
            return Error{kErrorDomain, ConversionFailed, read.error().message};
        return read;
    }

    Result<std::string> htmlFragmentFromAttributedString(const AttributedString& text,
                                                         const std::string& fileName) override
    {
        TEHTMLWriterSettings settings;
        settings.fileName = fileName;
        settings.keepsBlanksEndingLines = true;
        return htmlData(text, settings);
    }

    Result<EditingPage> editingPageFromAttributedString(const AttributedString& text,
                                                        const std::string& fileName) override
    {
        TEHTMLWriterSettings settings;
        settings.fileName = fileName;
        settings.keepsBlanksEndingLines = true;
        settings.inheritedLanguages = HTMLPageLanguages::mostUsed(text);
        std::string html = htmlData(text, settings);
        return EditingPage{std::move(html), std::move(settings.inheritedLanguages)};
    }

    Result<MutableAttributedString> attributedStringFromHTML(std::string_view html) override
    {
        std::optional<AttributedString> text = attributedStringWithHTMLData(TEHTMLBorrowedBytes{html}, m_HTMLOptions);
        if (!text)
            return Error{kErrorDomain, ConversionFailed, "The HTML gave no text"};
        return MutableAttributedString(std::move(*text));
    }

    Result<std::string> rtfFromAttributedString(const AttributedString& text, const std::string& documentName,
                                                BlankDocument blank) override
    {
        std::lock_guard lock(s_writeMutex);
        Result<std::string> rtf = DKRTFWriter::rtfDataForAttributedString(text, false, documentName, blank);
        if (!rtf)
            return Error{kErrorDomain, ConversionFailed, rtf.error().message};
        return rtf;
    }

private:
    TEHTMLReaderOptions m_HTMLOptions;
    // Shared by every converter of the engine.
    static inline std::mutex s_writeMutex;
};

} // namespace

std::shared_ptr<RichTextConverter> RichTextConverter::engineConverter(TEHTMLReaderOptions HTMLOptions)
{
    return std::make_shared<EngineRichTextConverter>(std::move(HTMLOptions));
}

} // namespace folio
