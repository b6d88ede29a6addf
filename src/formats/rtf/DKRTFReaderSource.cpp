#include "formats/rtf/DKRTFReaderSource.h"

#include "platform/foundation/ByteSearch.h"

#include <algorithm>

namespace folio {

namespace {

// The length of the UTF-8 character a byte starts; 0 for a continuation
// byte, which a position only stands on halfway into a four-byte character.
std::size_t sequenceLength(std::uint8_t lead)
{
    if (lead < 0x80)
        return 1;
    if (lead < 0xC0)
        return 0;
    if (lead < 0xE0)
        return 2;
    return lead < 0xF0 ? 3 : 4;
}

void appendGeneralizedUTF8(std::string& bytes, char32_t code)
{
    if (code < 0x80) {
        bytes.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        bytes.push_back(static_cast<char>(0xC0 | (code >> 6)));
        bytes.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        bytes.push_back(static_cast<char>(0xE0 | (code >> 12)));
        bytes.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        bytes.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        bytes.push_back(static_cast<char>(0xF0 | (code >> 18)));
        bytes.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        bytes.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        bytes.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

} // namespace

DKRTFReaderSource DKRTFReaderSource::utf8(std::string_view bytes) { return DKRTFReaderSource(bytes, Characters::UTF8); }

DKRTFReaderSource DKRTFReaderSource::inFileCodePage(std::string_view bytes,
                                                    std::shared_ptr<const SingleByteCodePage> codePage)
{
    DKRTFReaderSource source(bytes, Characters::FileCodePage);
    source.m_codePage = std::move(codePage);
    return source;
}

DKRTFReaderSource DKRTFReaderSource::inDeclaredCodePages(std::string_view bytes)
{
    return DKRTFReaderSource(bytes, Characters::DeclaredCodePages);
}

DKRTFReaderSource DKRTFReaderSource::fromText(std::u16string_view text)
{
    // Written by hand rather than by the shared converter, which replaces
    // an unpaired surrogate: the reader keeps such a unit as it was given.
    auto bytes = std::make_shared<std::string>();
    bytes->reserve(text.size() + text.size() / 8);
    for (std::size_t index = 0; index < text.size(); ++index) {
        const char16_t unit = text[index];
        if (unit >= 0xD800 && unit <= 0xDBFF && index + 1 < text.size() && text[index + 1] >= 0xDC00 &&
            text[index + 1] <= 0xDFFF) {
            appendGeneralizedUTF8(*bytes, 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (text[index + 1] - 0xDC00));
            ++index;
        } else {
            appendGeneralizedUTF8(*bytes, unit);
        }
    }
    DKRTFReaderSource source(*bytes, Characters::UTF8);
    source.m_owned = std::move(bytes);
    return source;
}

DKRTFReaderSource DKRTFReaderSource::without(std::size_t at, std::size_t length) const
{
    auto bytes = std::make_shared<std::string>(m_bytes);
    bytes->erase(std::min(at, bytes->size()), length);
    DKRTFReaderSource source = *this;
    source.m_bytes = *bytes;
    source.m_owned = std::move(bytes);
    return source;
}

bool DKRTFReaderSource::startsAsRTF() const
{
    std::string_view rest = m_bytes;
    for (;;) {
        if (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t' || rest.front() == '\r' || rest.front() == '\n'))
            rest.remove_prefix(1);
        else if (m_characters == Characters::UTF8 && rest.starts_with("\xEF\xBB\xBF"))
            rest.remove_prefix(3);
        else
            break;
    }
    return rest.starts_with("{\\rtf");
}

std::size_t DKRTFReaderSource::endOfUnit(std::size_t position) const
{
    if (position >= m_bytes.size())
        return m_bytes.size();
    if (m_characters != Characters::UTF8)
        return position + 1;
    std::size_t length = sequenceLength(byteAt(position));
    // Either half of a four-byte character is two of its bytes.
    if (length == 0 || length == 4)
        length = 2;
    return std::min(position + length, m_bytes.size());
}

std::size_t DKRTFReaderSource::endOfCharacter(std::size_t position) const
{
    if (position < m_bytes.size() && m_characters == Characters::UTF8 && sequenceLength(byteAt(position)) == 4)
        return std::min(position + 4, m_bytes.size());
    return endOfUnit(position);
}

std::size_t DKRTFReaderSource::advancedByUnits(std::size_t begin, std::size_t units) const
{
    if (m_characters != Characters::UTF8)
        return std::min(begin + units, m_bytes.size());
    std::size_t position = begin;
    for (; units > 0 && position < m_bytes.size(); --units)
        position = endOfUnit(position);
    return position;
}

std::size_t DKRTFReaderSource::endOfBinaryData(std::size_t begin, std::int64_t count) const
{
    if (m_characters != Characters::UTF8)
        return count <= 0 ? begin : std::min(begin + static_cast<std::size_t>(count), m_bytes.size());
    std::size_t position = begin;
    while (count > 0 && position < m_bytes.size()) {
        const std::size_t end = endOfUnit(position);
        const std::size_t length = end - position;
        // A surrogate written alone takes three bytes here, two in UTF-8 of
        // its own (as a half of a pair).
        const bool loneSurrogate = length == 3 && byteAt(position) == 0xED && byteAt(position + 1) >= 0xA0;
        count -= loneSurrogate ? 2 : static_cast<std::int64_t>(length);
        position = end;
    }
    return position;
}

std::u16string DKRTFReaderSource::text(std::size_t begin, std::size_t end) const
{
    std::u16string text;
    return std::u16string(decodeInto(m_bytes, begin, std::min(end, m_bytes.size()), text));
}

std::u16string_view DKRTFReaderSource::text(std::size_t begin, std::size_t end, std::u16string& buffer) const
{
    return decodeInto(m_bytes, begin, std::min(end, m_bytes.size()), buffer);
}

std::u16string_view DKRTFReaderSource::text(std::string_view bytes, std::u16string& buffer) const
{
    return decodeInto(bytes, 0, bytes.size(), buffer);
}

std::u16string_view DKRTFReaderSource::decodeInto(std::string_view bytes, std::size_t begin, std::size_t end,
                                                  std::u16string& buffer) const
{
    if (begin >= end)
        return {};
    // No byte gives more than one unit. The buffer only grows, so that its
    // room is made once rather than for every run.
    constexpr std::size_t kBlock = 16;
    if (buffer.size() < end - begin + kBlock)
        buffer.resize(std::max(end - begin + kBlock, 2 * buffer.size()));
    const char16_t* const last = decode(bytes, begin, end, buffer.data());
    return std::u16string_view(buffer.data(), static_cast<std::size_t>(last - buffer.data()));
}

char16_t* DKRTFReaderSource::decode(std::string_view bytes, std::size_t begin, std::size_t end, char16_t* out) const
{
    if (m_characters == Characters::FileCodePage)
        return std::transform(bytes.data() + begin, bytes.data() + end, out,
                              [this](char byte) { return m_codePage->character(static_cast<std::uint8_t>(byte)); });
    if (m_characters == Characters::DeclaredCodePages) {
        widenBytes(bytes.data() + begin, end - begin, out);
        return out + (end - begin);
    }
    auto byteAt = [bytes](std::size_t position) { return static_cast<std::uint8_t>(bytes[position]); };
    std::size_t position = begin;
    while (position < end) {
        // ASCII, most of a document, is widened sixteen bytes at a time;
        // what is widened past the run is written over or left unused.
        const std::size_t ascii = widenASCIIRun(bytes.data(), position, end, bytes.size(), out);
        out += ascii;
        position += ascii;
        if (position >= end)
            break;
        const std::size_t length = sequenceLength(byteAt(position));
        const std::size_t available = bytes.size() - position;
        auto continuation = [&](std::size_t offset) { return static_cast<char32_t>(byteAt(position + offset) & 0x3F); };
        if (length == 0 && available >= 2) {
            // The second half of a four-byte character, read from its third byte.
            *out++ = static_cast<char16_t>(0xDC00 | ((byteAt(position) & 0x0F) << 6) | continuation(1));
            position += 2;
        } else if (length == 2 && available >= 2) {
            *out++ = static_cast<char16_t>(((byteAt(position) & 0x1F) << 6) | continuation(1));
            position += 2;
        } else if (length == 3 && available >= 3) {
            *out++ = static_cast<char16_t>(((byteAt(position) & 0x0F) << 12) | (continuation(1) << 6) | continuation(2));
            position += 3;
        } else if (length == 4 && available >= 4) {
            const char32_t code = ((byteAt(position) & 0x07) << 18) | (continuation(1) << 12) | (continuation(2) << 6)
                | continuation(3);
            *out++ = static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            if (end - position < 4) {
                position += 2;
                continue;
            }
            *out++ = static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
            position += 4;
        } else {
            // Only a character cut off at the very end of the bytes.
            *out++ = u'\uFFFD';
            position = end;
        }
    }
    return out;
}

} // namespace folio
