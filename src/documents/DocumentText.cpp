#include "documents/DocumentText.h"

#include "documents/DocumentSizeLimits.h"

#include "documents/TextFileForm.h"
#include "formats/rtf/DKRTFReader.h"

#include "platform/foundation/Data.h"
#include "platform/foundation/Deflate.h"
#include "platform/foundation/StringEncoding.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

namespace folio {

namespace {

Error textError(DocumentText::ErrorCode code, std::string message)
{
    return Error{DocumentText::kErrorDomain, code, std::move(message)};
}

Result<std::u16string> decodeQV(std::span<const std::uint8_t> bytes, const std::string& path)
{
    if (bytes.empty())
        return std::u16string();
    Result<Data> inflated = Deflate::decompress(bytes, DocumentText::kMaximumQVPageSize);
    if (!inflated && inflated.error().domain == Deflate::kErrorDomain && inflated.error().code == Deflate::TooLarge)
        return textError(DocumentText::TooLarge, path + " unpacks to more than "
                                                     + std::to_string(DocumentText::kMaximumQVPageSize >> 20)
                                                     + " MiB, more than any document holds; it is not read");
    if (!inflated)
        return textError(DocumentText::Damaged, path + " is damaged: " + inflated.error().message);
    // Neither the editor's page nor an export's ever finishes laying out
    // lists nested tens of thousands deep: the file is refused at once.
    if (Status nesting = DocumentSizeLimits::checkPageNesting(inflated->stringView(), path); !nesting)
        return nesting.error();
    std::optional<std::u16string> page = stringWithData(inflated->span(), StringEncoding::utf8());
    if (!page)
        return textError(DocumentText::Damaged, path + " is damaged: its page is not UTF-8");
    return std::move(*page);
}

// UTF-16 and UTF-32 text announce themselves with a byte-order mark, which
// is not part of the text. (UTF-8 text is read as UTF-8 whether or not it
// carries one.)
std::optional<Result<std::u16string>> decodeMarkedUnicode(std::span<const std::uint8_t> bytes, const std::string& path)
{
    std::optional<TextFileForm::ByteOrderMark> mark = TextFileForm::byteOrderMarkOf(bytes);
    if (!mark || std::string_view(mark->encoding) == "UTF-8")
        return std::nullopt;
    std::optional<std::u16string> text = stringWithData(bytes.subspan(mark->bytes.size()), StringEncoding::named(mark->encoding));
    if (!text)
        return Result<std::u16string>(textError(DocumentText::Undecodable, path + " is not valid " + mark->encoding + " text"));
    return Result<std::u16string>(std::move(*text));
}

// Text never holds NUL or the C0 controls other than tab, line ends, form
// feed and escape; pictures, archives and programs renamed ".rtf" do. (RTF
// itself may carry such bytes in "\bin" data, so this is asked only of files
// that do not start as RTF.)
bool holdsBinaryData(std::u16string_view text)
{
    return std::ranges::any_of(text, [](char16_t unit) {
        return unit < 0x20 && unit != u'\t' && unit != u'\n' && unit != u'\r' && unit != u'\f' && unit != 0x1B;
    });
}

// The number after "\ansicpg" in an RTF header; nullopt without one.
std::optional<int> declaredCodePage(std::span<const std::uint8_t> bytes)
{
    constexpr std::size_t kHeaderLength = 512;
    std::string_view header(reinterpret_cast<const char*>(bytes.data()), std::min(bytes.size(), kHeaderLength));
    constexpr std::string_view kWord = "\\ansicpg";
    const std::size_t at = header.find(kWord);
    if (at == std::string_view::npos)
        return std::nullopt;
    int codePage = 0;
    for (std::size_t index = at + kWord.size(); index < header.size() && index < at + kWord.size() + 5; ++index) {
        if (header[index] < '0' || header[index] > '9')
            break;
        codePage = codePage * 10 + (header[index] - '0');
    }
    return codePage;
}

// The "\ansicpg" of an RTF header, when it names a Windows code page of one
// byte per character (so that "\bin" lengths still count characters).
std::optional<int> declaredSingleByteCodePage(std::span<const std::uint8_t> bytes)
{
    const std::optional<int> codePage = declaredCodePage(bytes);
    if (codePage && (*codePage == 874 || (*codePage >= 1250 && *codePage <= 1258)))
        return codePage;
    return std::nullopt;
}

} // namespace

bool DocumentText::holdsRawDoubleByteText(std::span<const std::uint8_t> bytes)
{
    const std::optional<int> codePage = declaredCodePage(bytes);
    if (!codePage || (*codePage != 932 && *codePage != 936 && *codePage != 949 && *codePage != 950))
        return false;
    if (isUTF8(bytes))
        return false;
    return std::ranges::any_of(bytes, [](std::uint8_t byte) { return byte >= 0x80; });
}

Result<std::u16string> DocumentText::decode(std::span<const std::uint8_t> bytes, DocumentKind kind,
                                            const std::string& path)
{
    if (kind == DocumentKind::QVText || kind == DocumentKind::QVOutline)
        return decodeQV(bytes, path);
    if (std::optional<Result<std::u16string>> marked = decodeMarkedUnicode(bytes, path))
        return std::move(*marked);
    std::optional<std::u16string> text = stringWithData(bytes, StringEncoding::utf8());
    if (!text && kind == DocumentKind::RTF) {
        // Raw 8-bit text in RTF is in the code page the document declares.
        if (std::optional<int> codePage = declaredSingleByteCodePage(bytes))
            text = stringWithData(bytes, StringEncoding::windowsCodePage(*codePage));
    }
    if (!text)
        text = stringWithData(bytes, StringEncoding::windowsLatin1());
    if (!text && kind == DocumentKind::RTF) {
        if (std::optional<StringEncoding> detected = detectEncoding(bytes))
            text = stringWithData(bytes, *detected);
    }
    if (!text)
        return textError(Undecodable, path + " is neither UTF-8 nor Windows-1252 text");
    if (kind == DocumentKind::RTF && !DKRTFReader::isRTF(*text) && holdsBinaryData(*text))
        return textError(Undecodable, path + " is not an RTF document: it holds binary data");
    return std::move(*text);
}

std::optional<std::string> DocumentText::textAsUTF8(std::span<const std::uint8_t> bytes, DocumentKind kind)
{
    // An RTF file's text may be in a code page it declares, and is checked
    // for binary data.
    if (kind == DocumentKind::RTF)
        return std::nullopt;
    const auto asItStands = [](std::span<const std::uint8_t> text) {
        return !TextFileForm::byteOrderMarkOf(text) && isUTF8(text);
    };
    if (kind == DocumentKind::QVText || kind == DocumentKind::QVOutline) {
        if (bytes.empty())
            return std::string();
        Result<std::string> page = Deflate::decompressText(bytes, kMaximumQVPageSize);
        if (!page || !DocumentSizeLimits::checkPageNesting(*page, std::string()))
            return std::nullopt;
        const std::span<const std::uint8_t> text(reinterpret_cast<const std::uint8_t*>(page->data()), page->size());
        if (!asItStands(text))
            return std::nullopt;
        return std::move(*page);
    }
    if (!asItStands(bytes))
        return std::nullopt;
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

Result<DKRTFReaderSource> DocumentText::rtfSource(std::span<const std::uint8_t> bytes, const std::string& path)
{
    const std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (std::optional<Result<std::u16string>> marked = decodeMarkedUnicode(bytes, path)) {
        if (!*marked)
            return marked->error();
        return DKRTFReaderSource::fromText(**marked);
    }
    if (isUTF8(bytes))
        return DKRTFReaderSource::utf8(view);
    // The same encodings, in the same order, as decode tries; those that
    // are not one byte per character here are decoded whole, as there.
    std::vector<StringEncoding> codePages;
    if (std::optional<int> codePage = declaredSingleByteCodePage(bytes))
        codePages.push_back(StringEncoding::windowsCodePage(*codePage));
    codePages.push_back(StringEncoding::windowsLatin1());
    for (const StringEncoding& encoding : codePages) {
        if (std::optional<SingleByteCodePage> table = SingleByteCodePage::make(encoding)) {
            if (table->decodes(bytes))
                return DKRTFReaderSource::inFileCodePage(view, std::make_shared<const SingleByteCodePage>(*table));
        } else if (std::optional<std::u16string> text = stringWithData(bytes, encoding)) {
            return DKRTFReaderSource::fromText(*text);
        }
    }
    if (std::optional<StringEncoding> detected = detectEncoding(bytes)) {
        if (std::optional<std::u16string> text = stringWithData(bytes, *detected))
            return DKRTFReaderSource::fromText(*text);
    }
    return textError(Undecodable, path + " is neither UTF-8 nor Windows-1252 text");
}

Result<std::u16string> DocumentText::read(const std::string& path, DocumentKind kind)
{
    Result<Data> data = readBytes(path);
    if (!data)
        return data.error();
    return decode(data->span(), kind, path);
}

Result<Data> DocumentText::readBytes(const std::string& path)
{
    std::error_code sizeError;
    std::uintmax_t size = std::filesystem::file_size(path, sizeError);
    if (!sizeError && size > kMaximumFileSize)
        return textError(TooLarge, path + " holds " + std::to_string(size >> 20) + " MiB, more than the "
                                       + std::to_string(kMaximumFileSize >> 20) + " MiB a document may; it is not read");
    return Data::dataWithContentsOfFile(path);
}

} // namespace folio
