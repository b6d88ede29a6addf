#include "documents/DocumentText.h"

#include "platform/foundation/Data.h"
#include "platform/foundation/Deflate.h"
#include "platform/foundation/StringEncoding.h"

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
    Result<Data> inflated = Deflate::decompress(bytes);
    if (!inflated)
        return textError(DocumentText::Damaged, path + " is damaged: " + inflated.error().message);
    std::optional<std::u16string> page = stringWithData(inflated->span(), StringEncoding::utf8());
    if (!page)
        return textError(DocumentText::Damaged, path + " is damaged: its page is not UTF-8");
    return std::move(*page);
}

} // namespace

Result<std::u16string> DocumentText::decode(std::span<const std::uint8_t> bytes, DocumentKind kind,
                                            const std::string& path)
{
    if (kind == DocumentKind::QVText || kind == DocumentKind::QVOutline)
        return decodeQV(bytes, path);
    std::optional<std::u16string> text = stringWithData(bytes, StringEncoding::utf8());
    if (!text)
        text = stringWithData(bytes, StringEncoding::windowsLatin1());
    if (!text && kind == DocumentKind::RTF) {
        if (std::optional<StringEncoding> detected = detectEncoding(bytes))
            text = stringWithData(bytes, *detected);
    }
    if (!text)
        return textError(Undecodable, path + " is neither UTF-8 nor Windows-1252 text");
    return std::move(*text);
}

Result<std::u16string> DocumentText::read(const std::string& path, DocumentKind kind)
{
    Result<Data> data = Data::dataWithContentsOfFile(path);
    if (!data)
        return data.error();
    return decode(data->span(), kind, path);
}

} // namespace folio
