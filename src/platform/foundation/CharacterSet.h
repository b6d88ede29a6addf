#pragma once

#include "platform/foundation/Range.h"

#include <cstddef>
#include <memory>
#include <string_view>

namespace folio {

// An immutable set of Unicode code points. Copies are cheap and share the
// frozen set, so a process-wide set may be read from any thread.
//
// The standard sets follow the platform's definitions (Unicode general
// categories), not the C library's ASCII-only classification, because the
// engine and the RTF codec were written against those.
class CharacterSet {
public:
    // The empty set.
    CharacterSet();

    // General category Zs plus tab.
    static const CharacterSet& whitespaceCharacterSet();
    // General category Z, tab, U+000A to U+000D and U+0085.
    static const CharacterSet& whitespaceAndNewlineCharacterSet();
    // U+000A to U+000D, U+0085, U+2028 and U+2029.
    static const CharacterSet& newlineCharacterSet();
    // General categories L, M and N.
    static const CharacterSet& alphanumericCharacterSet();
    // General category Nd.
    static const CharacterSet& decimalDigitCharacterSet();
    // General category P.
    static const CharacterSet& punctuationCharacterSet();
    // General category S.
    static const CharacterSet& symbolCharacterSet();
    // General categories L and M.
    static const CharacterSet& letterCharacterSet();

    // Every code point of the text; a surrogate pair counts as one code point.
    static CharacterSet characterSetWithCharactersInString(std::u16string_view characters);
    static CharacterSet characterSetWithCharactersInString(std::string_view utf8Characters);
    // The code points range.location ..< range.end(); code points past U+10FFFF are dropped.
    static CharacterSet characterSetWithRange(Range range);
    // Every code point except those of the text (the RTF codec's "all characters less a string").
    static CharacterSet characterSetWithAllCharactersExceptString(std::u16string_view characters);

    CharacterSet invertedSet() const;
    CharacterSet unionWithSet(const CharacterSet& other) const;
    CharacterSet subtractingSet(const CharacterSet& other) const;
    CharacterSet addingCharactersInString(std::u16string_view characters) const;
    CharacterSet removingCharactersInString(std::u16string_view characters) const;

    // Membership of a single UTF-16 unit; a lone surrogate is a member only
    // when the set holds that surrogate code point.
    bool characterIsMember(char16_t unit) const;
    bool longCharacterIsMember(char32_t codePoint) const;

    // How many leading UTF-16 units of the text are members (or are not
    // members); surrogate pairs are tested as one code point and never split.
    std::size_t spanMembers(std::u16string_view text) const;
    std::size_t spanNonMembers(std::u16string_view text) const;
    // Where the run of trailing members begins.
    std::size_t spanBackMembers(std::u16string_view text) const;

    bool isEmpty() const;
    friend bool operator==(const CharacterSet& a, const CharacterSet& b);

    // Holds the frozen ICU set; opaque here so that users of character sets
    // do not compile ICU's headers.
    struct Storage;

private:
    explicit CharacterSet(std::shared_ptr<const Storage> storage);
    static CharacterSet fromPattern(const char16_t* pattern);

    std::shared_ptr<const Storage> m_storage;
};

// The RTF reader and writer were written against a character set class with
// this name; it is the same value type.
using OFCharacterSet = CharacterSet;

} // namespace folio
