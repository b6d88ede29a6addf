#include "platform/foundation/CharacterSet.h"

#include "platform/foundation/Unicode.h"

#include <unicode/uniset.h>
#include <unicode/unistr.h>

#include <cassert>

namespace folio {

struct CharacterSet::Storage {
    icu::UnicodeSet set;
};

namespace {

constexpr UChar32 kLastCodePoint = 0x10FFFF;

std::shared_ptr<const CharacterSet::Storage> freezeSet(icu::UnicodeSet&& set)
{
    // A frozen set is safe to read from many threads and answers membership
    // through its fast lookup tables.
    auto frozen = std::make_shared<CharacterSet::Storage>(CharacterSet::Storage{std::move(set)});
    frozen->set.freeze();
    return frozen;
}

// Copies of a frozen set stay frozen and ignore changes, so derived sets
// start from a thawed copy.
icu::UnicodeSet thawedCopy(const icu::UnicodeSet& frozen)
{
    icu::UnicodeSet copy;
    copy.addAll(frozen);
    return copy;
}

icu::UnicodeSet setOfCharacters(std::u16string_view characters)
{
    icu::UnicodeSet set;
    std::size_t i = 0;
    while (i < characters.size()) {
        UChar32 codePoint;
        U16_NEXT(characters.data(), i, characters.size(), codePoint);
        set.add(codePoint);
    }
    return set;
}

} // namespace

CharacterSet::CharacterSet() : m_storage(freezeSet(icu::UnicodeSet())) {}

CharacterSet::CharacterSet(std::shared_ptr<const Storage> storage) : m_storage(std::move(storage)) {}

CharacterSet CharacterSet::fromPattern(const char16_t* pattern)
{
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeSet set(icu::UnicodeString(pattern), status);
    // The patterns are fixed in this file; a failure is a programming error.
    assert(U_SUCCESS(status));
    return CharacterSet(freezeSet(std::move(set)));
}

// The shared sets are never destroyed: work on other threads (a word count
// in the background) may still read them while the process exits.
const CharacterSet& CharacterSet::whitespaceCharacterSet()
{
    static const CharacterSet& set = *new CharacterSet(fromPattern(u"[\\u0009\\p{Zs}]"));
    return set;
}

const CharacterSet& CharacterSet::whitespaceAndNewlineCharacterSet()
{
    static const CharacterSet& set = *new CharacterSet(fromPattern(u"[\\u0009-\\u000D\\u0085\\p{Z}]"));
    return set;
}

const CharacterSet& CharacterSet::newlineCharacterSet()
{
    static const CharacterSet& set = *new CharacterSet(fromPattern(u"[\\u000A-\\u000D\\u0085\\u2028\\u2029]"));
    return set;
}

const CharacterSet& CharacterSet::alphanumericCharacterSet()
{
    static const CharacterSet& set = *new CharacterSet(fromPattern(u"[\\p{L}\\p{M}\\p{N}]"));
    return set;
}

const CharacterSet& CharacterSet::decimalDigitCharacterSet()
{
    static const CharacterSet& set = *new CharacterSet(fromPattern(u"[\\p{Nd}]"));
    return set;
}

const CharacterSet& CharacterSet::punctuationCharacterSet()
{
    static const CharacterSet& set = *new CharacterSet(fromPattern(u"[\\p{P}]"));
    return set;
}

const CharacterSet& CharacterSet::symbolCharacterSet()
{
    static const CharacterSet& set = *new CharacterSet(fromPattern(u"[\\p{S}]"));
    return set;
}

const CharacterSet& CharacterSet::letterCharacterSet()
{
    static const CharacterSet& set = *new CharacterSet(fromPattern(u"[\\p{L}\\p{M}]"));
    return set;
}

CharacterSet CharacterSet::characterSetWithCharactersInString(std::u16string_view characters)
{
    return CharacterSet(freezeSet(setOfCharacters(characters)));
}

CharacterSet CharacterSet::characterSetWithCharactersInString(std::string_view utf8Characters)
{
    return characterSetWithCharactersInString(std::u16string_view(toUtf16(utf8Characters)));
}

CharacterSet CharacterSet::characterSetWithRange(Range range)
{
    icu::UnicodeSet set;
    if (range.length > 0 && range.location <= static_cast<std::size_t>(kLastCodePoint)) {
        std::size_t last = range.location + (range.length - 1);
        if (last < range.location || last > static_cast<std::size_t>(kLastCodePoint))
            last = kLastCodePoint;
        set.add(static_cast<UChar32>(range.location), static_cast<UChar32>(last));
    }
    return CharacterSet(freezeSet(std::move(set)));
}

CharacterSet CharacterSet::characterSetWithAllCharactersExceptString(std::u16string_view characters)
{
    return characterSetWithCharactersInString(characters).invertedSet();
}

CharacterSet CharacterSet::invertedSet() const
{
    icu::UnicodeSet set = thawedCopy(m_storage->set);
    set.complement();
    return CharacterSet(freezeSet(std::move(set)));
}

CharacterSet CharacterSet::unionWithSet(const CharacterSet& other) const
{
    icu::UnicodeSet set = thawedCopy(m_storage->set);
    set.addAll(other.m_storage->set);
    return CharacterSet(freezeSet(std::move(set)));
}

CharacterSet CharacterSet::subtractingSet(const CharacterSet& other) const
{
    icu::UnicodeSet set = thawedCopy(m_storage->set);
    set.removeAll(other.m_storage->set);
    return CharacterSet(freezeSet(std::move(set)));
}

CharacterSet CharacterSet::addingCharactersInString(std::u16string_view characters) const
{
    icu::UnicodeSet set = thawedCopy(m_storage->set);
    set.addAll(setOfCharacters(characters));
    return CharacterSet(freezeSet(std::move(set)));
}

CharacterSet CharacterSet::removingCharactersInString(std::u16string_view characters) const
{
    icu::UnicodeSet set = thawedCopy(m_storage->set);
    set.removeAll(setOfCharacters(characters));
    return CharacterSet(freezeSet(std::move(set)));
}

bool CharacterSet::characterIsMember(char16_t unit) const { return m_storage->set.contains(static_cast<UChar32>(unit)); }

bool CharacterSet::longCharacterIsMember(char32_t codePoint) const
{
    return codePoint <= static_cast<char32_t>(kLastCodePoint) && m_storage->set.contains(static_cast<UChar32>(codePoint));
}

std::size_t CharacterSet::spanMembers(std::u16string_view text) const
{
    return static_cast<std::size_t>(
        m_storage->set.span(text.data(), static_cast<int32_t>(text.size()), USET_SPAN_CONTAINED));
}

std::size_t CharacterSet::spanNonMembers(std::u16string_view text) const
{
    return static_cast<std::size_t>(
        m_storage->set.span(text.data(), static_cast<int32_t>(text.size()), USET_SPAN_NOT_CONTAINED));
}

std::size_t CharacterSet::spanBackMembers(std::u16string_view text) const
{
    return static_cast<std::size_t>(
        m_storage->set.spanBack(text.data(), static_cast<int32_t>(text.size()), USET_SPAN_CONTAINED));
}

bool CharacterSet::isEmpty() const { return m_storage->set.isEmpty(); }

bool operator==(const CharacterSet& a, const CharacterSet& b) { return a.m_storage == b.m_storage || a.m_storage->set == b.m_storage->set; }

} // namespace folio
