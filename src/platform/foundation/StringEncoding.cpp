#include "platform/foundation/StringEncoding.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/ucsdet.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>

namespace folio {

namespace {

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterPointer = std::unique_ptr<UConverter, ConverterCloser>;

// A converter that stops at the first invalid sequence instead of writing a
// substitute, so a wrong encoding is noticed and the caller may try another.
ConverterPointer openStrictConverter(const std::string& name)
{
    if (name.empty())
        return nullptr;
    UErrorCode status = U_ZERO_ERROR;
    ConverterPointer converter(ucnv_open(name.c_str(), &status));
    if (U_FAILURE(status) || !converter)
        return nullptr;
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    if (U_FAILURE(status))
        return nullptr;
    return converter;
}

} // namespace

StringEncoding StringEncoding::utf8() { return StringEncoding("UTF-8"); }
StringEncoding StringEncoding::utf16LittleEndian() { return StringEncoding("UTF-16LE"); }
StringEncoding StringEncoding::utf16BigEndian() { return StringEncoding("UTF-16BE"); }
StringEncoding StringEncoding::ascii() { return StringEncoding("US-ASCII"); }
StringEncoding StringEncoding::isoLatin1() { return StringEncoding("ISO-8859-1"); }
StringEncoding StringEncoding::windowsLatin1() { return StringEncoding("windows-1252"); }
StringEncoding StringEncoding::shiftJIS() { return StringEncoding("Shift_JIS"); }
StringEncoding StringEncoding::macRoman() { return StringEncoding("macintosh"); }
StringEncoding StringEncoding::macSymbol() { return StringEncoding("x-mac-symbol"); }
StringEncoding StringEncoding::macHebrew() { return StringEncoding("x-mac-hebrew"); }
StringEncoding StringEncoding::macArabic() { return StringEncoding("x-mac-arabic"); }
StringEncoding StringEncoding::macGreek() { return StringEncoding("x-mac-greek"); }
StringEncoding StringEncoding::macTurkish() { return StringEncoding("x-mac-turkish"); }
StringEncoding StringEncoding::macThai() { return StringEncoding("x-mac-thai"); }
StringEncoding StringEncoding::macCyrillic() { return StringEncoding("x-mac-cyrillic"); }
StringEncoding StringEncoding::macCentralEuropean() { return StringEncoding("x-mac-centraleurroman"); }
StringEncoding StringEncoding::named(std::string name) { return StringEncoding(std::move(name)); }

StringEncoding StringEncoding::windowsCodePage(int codePage)
{
    switch (codePage) {
    case 932:
        return StringEncoding("windows-31j");
    case 1361:
        return StringEncoding("johab");
    case 874:
    case 936:
    case 949:
    case 950:
        return StringEncoding("windows-" + std::to_string(codePage));
    default:
        break;
    }
    if (codePage >= 1250 && codePage <= 1258)
        return StringEncoding("windows-" + std::to_string(codePage));
    // ICU knows the DOS and IBM code pages as "cp" and the number.
    return StringEncoding("cp" + std::to_string(codePage));
}

bool StringEncoding::isSupported() const { return openStrictConverter(m_name) != nullptr; }

namespace {

// Four bytes as four little-endian 16-bit units.
constexpr std::uint64_t spreadBytes(std::uint32_t bytes)
{
    std::uint64_t units = bytes;
    units = (units | (units << 16)) & 0x0000FFFF0000FFFFULL;
    return (units | (units << 8)) & 0x00FF00FF00FF00FFULL;
}
static_assert(spreadBytes(0x44434241) == 0x0044004300420041ULL);

// The length of the run of ASCII bytes at the start of the bytes.
std::size_t asciiPrefix(std::span<const std::uint8_t> bytes)
{
    std::size_t index = 0;
#if defined(__SSE2__)
    // Sixty-four bytes a round while nothing but ASCII comes.
    for (; index + 64 <= bytes.size(); index += 64) {
        const auto* block = reinterpret_cast<const __m128i*>(bytes.data() + index);
        const __m128i any = _mm_or_si128(_mm_or_si128(_mm_loadu_si128(block), _mm_loadu_si128(block + 1)),
                                         _mm_or_si128(_mm_loadu_si128(block + 2), _mm_loadu_si128(block + 3)));
        if (_mm_movemask_epi8(any) != 0)
            break;
    }
    for (; index + 16 <= bytes.size(); index += 16) {
        const __m128i sixteen = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + index));
        if (const int mask = _mm_movemask_epi8(sixteen))
            return index + static_cast<std::size_t>(std::countr_zero(static_cast<unsigned>(mask)));
    }
#endif
    while (index < bytes.size() && bytes[index] < 0x80)
        ++index;
    return index;
}

// Widens the bytes unit for byte into out; false at the first byte that is
// not ASCII.
bool widenASCIIBlock(std::span<const std::uint8_t> bytes, char16_t* out)
{
    constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
    std::size_t index = 0;
#if defined(__SSE2__)
    // Sixteen at a time where the processor has the vector unit every
    // x86-64 has: a document of megabytes is widened in a blink.
    const __m128i zero = _mm_setzero_si128();
    for (; index + 16 <= bytes.size(); index += 16) {
        const __m128i sixteen = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + index));
        if (_mm_movemask_epi8(sixteen) != 0)
            return false;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + index), _mm_unpacklo_epi8(sixteen, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + index + 8), _mm_unpackhi_epi8(sixteen, zero));
    }
#endif
    for (; index + 8 <= bytes.size(); index += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + index, sizeof word);
        if (word & kHighBits)
            return false;
        if constexpr (std::endian::native == std::endian::little) {
            const std::uint64_t halves[2] = {spreadBytes(static_cast<std::uint32_t>(word)),
                                             spreadBytes(static_cast<std::uint32_t>(word >> 32))};
            std::memcpy(out + index, halves, sizeof halves);
        } else {
            std::copy_n(bytes.data() + index, 8, out + index);
        }
    }
    for (; index < bytes.size(); ++index) {
        if (bytes[index] >= 0x80)
            return false;
        out[index] = bytes[index];
    }
    return true;
}

// One UTF-8 character of more than one byte at the start of the bytes, as
// Unicode's table of well-formed sequences has them (no overlong forms, no
// surrogates, nothing past U+10FFFF); its length in bytes, or 0 when the
// bytes do not start with one.
std::size_t decodeSequence(std::span<const std::uint8_t> bytes, char32_t& code)
{
    const std::uint8_t lead = bytes[0];
    std::size_t length = 0;
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (bytes.size() < length || bytes[1] < low || bytes[1] > high)
        return 0;
    code = (code << 6) | (bytes[1] & 0x3F);
    for (std::size_t index = 2; index < length; ++index) {
        if (bytes[index] < 0x80 || bytes[index] > 0xBF)
            return 0;
        code = (code << 6) | (bytes[index] & 0x3F);
    }
    return length;
}

// Well-formed UTF-8 decoded without the converter, which costs many times
// a copy even where most of the text is ASCII; none at the first byte that
// does not belong, and none for text that starts with a byte order mark,
// so that the converter answers for those as it always has. ASCII is
// widened a block at a time on the stack and appended, so that the
// megabytes of a document are written once instead of being filled with
// zeros first and then overwritten.
std::optional<std::u16string> decodedUTF8(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        return std::nullopt;
    constexpr std::size_t kBlockUnits = 512;
    char16_t block[kBlockUnits];
    std::u16string text;
    text.reserve(bytes.size());
    std::size_t index = 0;
    while (index < bytes.size()) {
        for (std::size_t ascii = asciiPrefix(bytes.subspan(index)); ascii > 0;) {
            const std::size_t part = std::min(kBlockUnits, ascii);
            widenASCIIBlock(bytes.subspan(index, part), block);
            text.append(block, part);
            index += part;
            ascii -= part;
        }
        if (index == bytes.size())
            break;
        char32_t code = 0;
        const std::size_t length = decodeSequence(bytes.subspan(index), code);
        if (length == 0)
            return std::nullopt;
        index += length;
        if (code < 0x10000) {
            text.push_back(static_cast<char16_t>(code));
        } else {
            text.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        }
    }
    return text;
}

} // namespace

namespace {

std::optional<std::u16string> decodeWith(UConverter* converter, std::span<const std::uint8_t> bytes,
                                         const StringEncoding& encoding)
{
    if (!converter)
        return std::nullopt;
    if (bytes.empty())
        return std::u16string();
    if (encoding.name() == "UTF-8") {
        if (std::optional<std::u16string> text = decodedUTF8(bytes))
            return text;
    }
    const char* source = reinterpret_cast<const char*>(bytes.data());
    auto sourceLength = static_cast<int32_t>(bytes.size());

    // Almost every encoding gives at most one unit per byte, so one pass into
    // a buffer that large converts a whole document; only where it does not
    // is the length measured first.
    UErrorCode status = U_ZERO_ERROR;
    std::u16string result(bytes.size() + 1, u'\0');
    int32_t length = ucnv_toUChars(converter, result.data(), static_cast<int32_t>(result.size()), source,
                                   sourceLength, &status);
    if (U_SUCCESS(status) && static_cast<std::size_t>(length) < result.size()) {
        result.resize(static_cast<std::size_t>(length));
        return result;
    }
    if (U_FAILURE(status) && status != U_BUFFER_OVERFLOW_ERROR)
        return std::nullopt;
    status = U_ZERO_ERROR;
    ucnv_reset(converter);
    length = ucnv_toUChars(converter, nullptr, 0, source, sourceLength, &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status))
        return std::nullopt;
    result.assign(static_cast<std::size_t>(length), u'\0');
    status = U_ZERO_ERROR;
    ucnv_reset(converter);
    // One more unit than needed keeps ICU from reporting an unterminated string as a warning.
    result.push_back(u'\0');
    ucnv_toUChars(converter, result.data(), static_cast<int32_t>(result.size()), source, sourceLength, &status);
    if (U_FAILURE(status))
        return std::nullopt;
    result.resize(static_cast<std::size_t>(length));
    return result;
}

} // namespace

std::optional<std::u16string> stringWithData(std::span<const std::uint8_t> bytes, const StringEncoding& encoding)
{
    ConverterPointer converter = openStrictConverter(encoding.name());
    return decodeWith(converter.get(), bytes, encoding);
}

struct StringDecoder::Converter {
    ConverterPointer pointer;
};

StringDecoder::StringDecoder(StringEncoding encoding)
    : m_encoding(std::move(encoding))
    , m_converter(std::make_unique<Converter>(Converter{openStrictConverter(m_encoding.name())}))
{
}

StringDecoder::~StringDecoder() = default;
StringDecoder::StringDecoder(StringDecoder&&) noexcept = default;
StringDecoder& StringDecoder::operator=(StringDecoder&&) noexcept = default;

std::optional<std::u16string> StringDecoder::decode(std::string_view bytes)
{
    UConverter* converter = m_converter->pointer.get();
    // A run that failed may leave a partial character in the converter.
    if (converter)
        ucnv_reset(converter);
    return decodeWith(converter,
                      std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
                      m_encoding);
}

std::optional<std::u16string> stringWithData(std::string_view bytes, const StringEncoding& encoding)
{
    return stringWithData(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
                          encoding);
}

bool isUTF8(std::span<const std::uint8_t> bytes)
{
    // An ASCII byte is never part of a longer UTF-8 character, so only the
    // characters beyond it are looked at one by one.
    for (std::size_t index = asciiPrefix(bytes); index < bytes.size(); index += asciiPrefix(bytes.subspan(index))) {
        char32_t code = 0;
        const std::size_t length = decodeSequence(bytes.subspan(index), code);
        if (length == 0)
            return false;
        index += length;
    }
    return true;
}

std::optional<SingleByteCodePage> SingleByteCodePage::make(const StringEncoding& encoding)
{
    ConverterPointer converter = openStrictConverter(encoding.name());
    if (!converter)
        return std::nullopt;
    const UConverterType type = ucnv_getType(converter.get());
    if (type != UCNV_SBCS && type != UCNV_LATIN_1 && type != UCNV_US_ASCII)
        return std::nullopt;
    SingleByteCodePage codePage;
    for (unsigned byte = 0; byte < 256; ++byte) {
        const std::uint8_t one = static_cast<std::uint8_t>(byte);
        std::optional<std::u16string> character = decodeWith(converter.get(), std::span(&one, 1), encoding);
        ucnv_reset(converter.get());
        if (!character) {
            if (byte < 0x80)
                return std::nullopt;
            continue;
        }
        if (character->size() != 1 || (byte < 0x80 && character->front() != byte))
            return std::nullopt;
        codePage.m_characters[byte] = character->front();
        codePage.m_defined.set(byte);
    }
    return codePage;
}

bool SingleByteCodePage::decodes(std::span<const std::uint8_t> bytes) const
{
    for (std::size_t index = asciiPrefix(bytes); index < bytes.size(); index += 1 + asciiPrefix(bytes.subspan(index + 1))) {
        if (!m_defined.test(bytes[index]))
            return false;
    }
    return true;
}

std::optional<std::string> dataUsingEncoding(std::u16string_view text, const StringEncoding& encoding)
{
    ConverterPointer converter = openStrictConverter(encoding.name());
    if (!converter)
        return std::nullopt;
    if (text.empty())
        return std::string();
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = ucnv_fromUChars(converter.get(), nullptr, 0, text.data(), static_cast<int32_t>(text.size()), &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status))
        return std::nullopt;
    std::string result(static_cast<std::size_t>(length) + 1, '\0');
    status = U_ZERO_ERROR;
    ucnv_reset(converter.get());
    ucnv_fromUChars(converter.get(), result.data(), static_cast<int32_t>(result.size()), text.data(),
                    static_cast<int32_t>(text.size()), &status);
    if (U_FAILURE(status))
        return std::nullopt;
    result.resize(static_cast<std::size_t>(length));
    return result;
}

std::optional<StringEncoding> detectEncoding(std::span<const std::uint8_t> bytes)
{
    if (bytes.empty())
        return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UCharsetDetector, void (*)(UCharsetDetector*)> detector(ucsdet_open(&status), ucsdet_close);
    if (U_FAILURE(status))
        return std::nullopt;
    ucsdet_setText(detector.get(), reinterpret_cast<const char*>(bytes.data()), static_cast<int32_t>(bytes.size()),
                   &status);
    int32_t count = 0;
    const UCharsetMatch** matches = ucsdet_detectAll(detector.get(), &count, &status);
    if (U_FAILURE(status))
        return std::nullopt;
    // The best candidate that really decodes the bytes: the detector guesses
    // from statistics and may rank a decoder that rejects them first.
    for (int32_t i = 0; i < count; ++i) {
        UErrorCode nameStatus = U_ZERO_ERROR;
        const char* name = ucsdet_getName(matches[i], &nameStatus);
        if (U_FAILURE(nameStatus) || !name)
            continue;
        StringEncoding encoding = StringEncoding::named(name);
        if (stringWithData(bytes, encoding))
            return encoding;
    }
    return std::nullopt;
}

} // namespace folio
