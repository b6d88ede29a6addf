#include "engine/css/CSSCharacterSets.h"

namespace folio {

namespace {

CharacterSet asciiAlphanumerics()
{
    return CharacterSet::characterSetWithRange(Range{u'a', 26})
        .unionWithSet(CharacterSet::characterSetWithRange(Range{u'A', 26}))
        .unionWithSet(CharacterSet::characterSetWithRange(Range{u'0', 10}));
}

} // namespace

const CharacterSet& tagNameCharacterSet()
{
    static const CharacterSet set = asciiAlphanumerics();
    return set;
}

const CharacterSet& tagAttributeNameCharacterSet()
{
    static const CharacterSet set = asciiAlphanumerics().addingCharactersInString(u"-_:");
    return set;
}

const CharacterSet& ignorableWhitespaceCharacterSet()
{
    static const CharacterSet set = CharacterSet::whitespaceAndNewlineCharacterSet()
                                        .removingCharactersInString(u"\u00A0\u1680\u180E\u202F\u205F\u3000\uFEFF")
                                        .subtractingSet(CharacterSet::characterSetWithRange(Range{0x2000, 12}));
    return set;
}

const CharacterSet& quoteCharacterSet()
{
    static const CharacterSet set = CharacterSet::characterSetWithCharactersInString(u"'\"");
    return set;
}

const CharacterSet& nonQuotedAttributeEndCharacterSet()
{
    static const CharacterSet set =
        CharacterSet::whitespaceAndNewlineCharacterSet().addingCharactersInString(u"/>");
    return set;
}

const CharacterSet& cssStyleAttributeNameCharacterSet()
{
    static const CharacterSet set = asciiAlphanumerics().addingCharactersInString(u"-_");
    return set;
}

const CharacterSet& cssLengthValueCharacterSet()
{
    static const CharacterSet set = CharacterSet::characterSetWithCharactersInString(u".0123456789");
    return set;
}

const CharacterSet& cssLengthUnitCharacterSet()
{
    static const CharacterSet set = CharacterSet::characterSetWithCharactersInString(u"pxtem");
    return set;
}

} // namespace folio
