#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace folio {

// A byte encoding of text, named by its ICU converter. Value type; the
// converter itself is opened per call, so encodings may be used from any
// thread.
class StringEncoding {
public:
    static StringEncoding utf8();
    static StringEncoding utf16LittleEndian();
    static StringEncoding utf16BigEndian();
    static StringEncoding ascii();
    static StringEncoding isoLatin1();
    // Windows Latin 1, code page 1252: the default of RTF text.
    static StringEncoding windowsLatin1();
    // Windows and DOS code pages by number (1250 to 1258, 874, 932, 936, 949,
    // 950, 1361, 437, 850, ...).
    static StringEncoding windowsCodePage(int codePage);
    static StringEncoding shiftJIS();
    static StringEncoding macRoman();
    static StringEncoding macSymbol();
    static StringEncoding macHebrew();
    static StringEncoding macArabic();
    static StringEncoding macGreek();
    static StringEncoding macTurkish();
    static StringEncoding macThai();
    static StringEncoding macCyrillic();
    static StringEncoding macCentralEuropean();
    // Any converter name or alias ICU knows.
    static StringEncoding named(std::string name);

    const std::string& name() const { return m_name; }
    // False when this system has no converter for the encoding; decoding then
    // always fails rather than guessing.
    bool isSupported() const;

    friend bool operator==(const StringEncoding&, const StringEncoding&) = default;

private:
    explicit StringEncoding(std::string name) : m_name(std::move(name)) {}
    std::string m_name;
};

// The text of the bytes, or nothing when any byte sequence is not valid in the
// encoding: a failed decode is never a partial text.
std::optional<std::u16string> stringWithData(std::span<const std::uint8_t> bytes, const StringEncoding& encoding);
std::optional<std::u16string> stringWithData(std::string_view bytes, const StringEncoding& encoding);

// Decodes many short runs of bytes in one encoding, as stringWithData does,
// with one converter opened for all of them: opening one costs many times
// the decoding of a few bytes. Not for use from two threads at once.
class StringDecoder {
public:
    explicit StringDecoder(StringEncoding encoding);
    ~StringDecoder();
    StringDecoder(StringDecoder&&) noexcept;
    StringDecoder& operator=(StringDecoder&&) noexcept;

    const StringEncoding& encoding() const { return m_encoding; }
    // The same result as stringWithData(bytes, encoding()); a run that failed
    // leaves nothing behind for the next.
    std::optional<std::u16string> decode(std::string_view bytes);

private:
    struct Converter;
    StringEncoding m_encoding;
    std::unique_ptr<Converter> m_converter;
};

// Whether stringWithData would read the bytes as UTF-8, asked without
// decoding them.
bool isUTF8(std::span<const std::uint8_t> bytes);

// A code page of one byte per character, as a table: a large text in it is
// read without a converter, byte by byte, and reads as stringWithData reads it.
class SingleByteCodePage {
public:
    // Nothing for an encoding that is not one byte per character here, or
    // whose bytes below 0x80 are not ASCII.
    static std::optional<SingleByteCodePage> make(const StringEncoding& encoding);

    // Whether every byte of the text is a character of the code page, which
    // is when stringWithData decodes it; ASCII is stepped over in blocks.
    bool decodes(std::span<const std::uint8_t> bytes) const;
    // The character of a byte the code page defines.
    char16_t character(std::uint8_t byte) const { return m_characters[byte]; }

private:
    SingleByteCodePage() = default;
    std::array<char16_t, 256> m_characters{};
    std::bitset<256> m_defined;
};

// The bytes of the text, or nothing when a character cannot be written in the encoding.
std::optional<std::string> dataUsingEncoding(std::u16string_view text, const StringEncoding& encoding);

// The most likely encoding of bytes of unknown origin, by ICU's detector;
// nothing when it has no candidate this system can decode.
std::optional<StringEncoding> detectEncoding(std::span<const std::uint8_t> bytes);

} // namespace folio
