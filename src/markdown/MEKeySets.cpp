#include "markdown/MEKeySets.h"

namespace folio {

namespace {

MEKeySpec character(std::u16string c) { return {MEKeyFace::Title, c, {}, MEKeyKind::Character, c, {}}; }
MEKeySpec pair(std::u16string title, std::u16string open, std::u16string close)
{
    return {MEKeyFace::Title, std::move(title), {}, MEKeyKind::Pair, std::move(open), std::move(close)};
}
MEKeySpec imageKey(const char* image, MEKeyKind kind) { return {MEKeyFace::Image, {}, image, kind, {}, {}}; }
MEKeySpec menuKey(std::u16string title, MEKeyMenu menu)
{
    return {MEKeyFace::MenuKey, std::move(title), {}, MEKeyKind::Menu, {}, {}, menu};
}

MEKeySpec tab() { return imageKey("tabKey.png", MEKeyKind::Tab); }
MEKeySpec keyboardDown() { return imageKey("keyboardDown.png", MEKeyKind::KeyboardDown); }
MEKeySpec forwardDelete() { return imageKey("deleteForward.png", MEKeyKind::ForwardDelete); }
std::vector<MEKeySpec> arrows()
{
    return {imageKey("leftCursorKey.png", MEKeyKind::ArrowLeft), imageKey("downCursorKey.png", MEKeyKind::ArrowDown),
            imageKey("upCursorKey.png", MEKeyKind::ArrowUp), imageKey("rightCursorKey.png", MEKeyKind::ArrowRight)};
}

const std::u16string kParentheses = u"(..)";
const std::u16string kBraces = u"{..}";
const std::u16string kQuotes = u"\u201C..\u201D";

std::vector<MEKeySpec> join(std::initializer_list<std::vector<MEKeySpec>> parts)
{
    std::vector<MEKeySpec> keys;
    for (const auto& part : parts)
        keys.insert(keys.end(), part.begin(), part.end());
    return keys;
}

} // namespace

const std::vector<MEKeySpec>& markdownKeySet(bool tablet)
{
    static const std::vector<MEKeySpec> kTablet = join({
        {tab(), menuKey(u"BIU", MEKeyMenu::Style), menuKey(u"H1", MEKeyMenu::Headers),
         menuKey(u"^", MEKeyMenu::Characters), menuKey(u"[\u2026]", MEKeyMenu::Pairs), character(u"*"), character(u"-")},
        arrows(),
        {character(u"#"), character(u"'"), pair(kParentheses, u"(", u")"), pair(kQuotes, u"\u201C", u"\u201D"),
         menuKey(u"\u272A", MEKeyMenu::Symbols), menuKey(u"\u2318", MEKeyMenu::ExtraMarkups), forwardDelete(),
         character(u"="), character(u"\\"), character(u"|"), character(u"^"), character(u"`"), character(u"+")},
    });
    static const std::vector<MEKeySpec> kPhone = join({
        {keyboardDown(), tab(), character(u"*"), character(u"-"), character(u"#"), character(u"'"),
         pair(kParentheses, u"(", u")"), pair(kQuotes, u"\u201C", u"\u201D")},
        arrows(),
        {forwardDelete(), character(u"="), character(u"\\"), character(u"|"), character(u"^"), character(u"`"),
         character(u"+")},
    });
    return tablet ? kTablet : kPhone;
}

const std::vector<MEKeySpec>& texKeySet(bool tablet)
{
    static const std::vector<MEKeySpec> kTablet = join({
        {tab(), menuKey(u"BIU", MEKeyMenu::TeXStyle), menuKey(u"\u221A", MEKeyMenu::TeXMath),
         menuKey(u"^", MEKeyMenu::Characters), menuKey(u"$\u2026$", MEKeyMenu::TeXPairs), character(u"%"), character(u"\\")},
        arrows(),
        {character(u"$"), character(u"|"), pair(kBraces, u"{", u"}"), pair(kQuotes, u"\u201C", u"\u201D"),
         menuKey(u"\u272A", MEKeyMenu::Symbols), menuKey(u"\u2318", MEKeyMenu::ExtraTeXMarkups), forwardDelete(),
         character(u"="), character(u"-"), character(u"^"), character(u"+")},
    });
    static const std::vector<MEKeySpec> kPhone = join({
        {keyboardDown(), tab(), character(u"%"), character(u"\\")},
        arrows(),
        {character(u"$"), pair(kBraces, u"{", u"}"), character(u"|"), pair(kQuotes, u"\u201C", u"\u201D"), forwardDelete(),
         character(u"="), character(u"-"), character(u"^"), character(u"+")},
    });
    return tablet ? kTablet : kPhone;
}

} // namespace folio
