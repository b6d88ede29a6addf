#include "formats/rtf/RichTextConverter.h"

#include "formats/rtf/DKRTFReader.h"
#include "formats/rtf/DKRTFWriter.h"
#include "engine/html/reader/TEHTMLAttributedStringBuilder.h"
#include "engine/html/writer/TEHTMLWriter.h"

#include <mutex>

namespace folio {

namespace {

// The engine's conversions. RTF reads and RTF writes each run one at a time:
// the reader stores the page settings of the file it reads in the user
// defaults, and two reads at once would mix them.
class EngineRichTextConverter final : public RichTextConverter {
public:
    Result<MutableAttributedString> attributedStringFromRTF(std::u16string_view rtf,
                                                            const std::string& documentName) override
    {
        std::lock_guard lock(m_readMutex);
        Result<AttributedString> text = DKRTFReader::parseRTFString(rtf, documentName);
        if (!text)
            return Error{kErrorDomain, ConversionFailed, text.error().message};
        return MutableAttributedString(*text);
    }

    Result<std::u16string> htmlFragmentFromAttributedString(const AttributedString& text,
                                                            const std::string& fileName) override
    {
        TEHTMLWriterSettings settings;
        settings.fileName = fileName;
        return htmlString(text, settings);
    }

    Result<MutableAttributedString> attributedStringFromHTML(std::string_view html) override
    {
        std::optional<AttributedString> text = attributedStringWithHTMLData(std::string(html));
        if (!text)
            return Error{kErrorDomain, ConversionFailed, "The HTML gave no text"};
        return MutableAttributedString(*text);
    }

    Result<std::string> rtfFromAttributedString(const AttributedString& text, const std::string& documentName) override
    {
        std::lock_guard lock(m_writeMutex);
        Result<std::string> rtf = DKRTFWriter::rtfDataForAttributedString(text, false, documentName);
        if (!rtf)
            return Error{kErrorDomain, ConversionFailed, rtf.error().message};
        return rtf;
    }

private:
    std::mutex m_readMutex;
    std::mutex m_writeMutex;
};

} // namespace

std::shared_ptr<RichTextConverter> RichTextConverter::engineConverter()
{
    static std::shared_ptr<RichTextConverter> shared = std::make_shared<EngineRichTextConverter>();
    return shared;
}

} // namespace folio
