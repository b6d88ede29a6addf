#include "engine/css/CSSScanner.h"

#include "engine/css/CSSCharacterSets.h"
#include "engine/css/ColorHTML.h"
#include "engine/html/HTMLString.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

#include <vector>

namespace folio {

namespace {

const CharacterSet& valueItemEndCharacterSet()
{
    static const CharacterSet set = CharacterSet::whitespaceAndNewlineCharacterSet().addingCharactersInString(u";,");
    return set;
}

const CharacterSet& hexColorEndCharacterSet()
{
    static const CharacterSet set = CharacterSet::whitespaceAndNewlineCharacterSet().addingCharactersInString(u",");
    return set;
}

// Commas inside these values separate parts of one value (shadow lists, font
// shorthands, colour functions), not list items.
bool keepsCommas(std::string_view name)
{
    return name == "font" || name.find("color") != std::string_view::npos
        || name.find("shadow") != std::string_view::npos || name.find("background") != std::string_view::npos;
}

// The items of a value while it is read: a new item starts at the beginning and after
// a separating comma; anything else read joins the last item after a blank.
class ValueItems {
public:
    void add(std::u16string text, std::u16string_view joinedForm)
    {
        if (m_newItem)
            m_items.push_back(std::move(text));
        else
            m_items.back().append(u" ").append(joinedForm);
        m_newItem = false;
    }
    void add(std::u16string text)
    {
        std::u16string joined = text;
        add(std::move(text), joined);
    }
    void appendComma()
    {
        if (!m_items.empty())
            m_items.back().push_back(u',');
    }
    void startNewItem() { m_newItem = true; }

    CSSValue value() &&
    {
        if (m_items.empty())
            return std::u16string();
        if (m_items.size() == 1)
            return std::move(m_items.front());
        return std::move(m_items);
    }

private:
    std::vector<std::u16string> m_items;
    bool m_newItem = true;
};

} // namespace

bool scanCSSAttribute(Scanner& scanner, std::string* name, CSSValue* value)
{
    std::size_t start = scanner.scanLocation();
    std::u16string propertyName;
    if (!scanner.scanCharactersFromSet(cssStyleAttributeNameCharacterSet(), &propertyName))
        return false;
    if (!scanner.scanString(u":")) {
        scanner.setScanLocation(start);
        return false;
    }
    std::string utf8Name = toUtf8(propertyName);
    ValueItems items;
    while (!scanner.isAtEnd()) {
        std::size_t before = scanner.scanLocation();
        if (scanner.scanString(u";"))
            break;
        std::u16string quoteRun;
        std::u16string text;
        if (scanner.scanCharactersFromSet(quoteCharacterSet(), &quoteRun)) {
            if (!scanner.scanUpToString(quoteRun, &text)) {
                scanner.setScanLocation(start);
                return false;
            }
            // Joined to an item, the quotes stay: they delimit a part of one value.
            std::u16string quoted = quoteRun + text + quoteRun;
            items.add(std::move(text), quoted);
            scanner.scanString(quoteRun);
        } else if (scanner.scanString(u"rgb(")) {
            scanner.scanUpToString(u";", &text);
            items.add(u"rgb(" + text);
        } else if (scanner.scanString(u",")) {
            if (keepsCommas(utf8Name))
                items.appendComma();
            else
                items.startNewItem();
        } else if (scanner.scanUpToCharactersFromSet(valueItemEndCharacterSet(), &text)) {
            items.add(std::move(text));
        }
        // Every branch above consumes something; this guards the loop should a
        // character ever match none of them.
        if (scanner.scanLocation() == before)
            break;
    }
    if (name)
        *name = std::move(utf8Name);
    if (value)
        *value = std::move(items).value();
    return true;
}

bool scanCSSURL(Scanner& scanner, std::optional<std::u16string>* url)
{
    if (!scanner.scanString(u"url("))
        return false;
    std::optional<std::u16string> text;
    std::u16string quoteRun;
    if (scanner.scanCharactersFromSet(quoteCharacterSet(), &quoteRun)) {
        text.emplace();
        // A run of two or more quotes, such as '', stands for an empty URL.
        if (quoteRun.size() == 1) {
            scanner.scanUpToString(quoteRun, &*text);
            scanner.scanString(quoteRun);
        }
    } else {
        std::u16string unquoted;
        if (scanner.scanUpToString(u")", &unquoted))
            text = std::move(unquoted);
    }
    if (text)
        text = stringByReplacingHTMLEntities(*text);
    if (url)
        *url = std::move(text);
    return true;
}

bool scanHTMLColor(Scanner& scanner, Color* color, std::u16string* htmlName)
{
    std::size_t start = scanner.scanLocation();
    const std::u16string& string = scanner.string();
    std::u16string candidate;
    if (scanner.scanString(u"#")) {
        std::size_t hashAt = scanner.scanLocation() - 1;
        std::size_t end = scanner.scanLocation();
        while (end < string.size() && !hexColorEndCharacterSet().characterIsMember(string[end]))
            ++end;
        candidate = string.substr(hashAt, end - hashAt);
        scanner.setScanLocation(end);
    } else if (scanner.scanString(u"rgb")) {
        scanner.scanUpToString(u")");
        if (!scanner.scanString(u")")) {
            scanner.setScanLocation(start);
            return false;
        }
        candidate = stringByTrimmingCharactersInSet(
            std::u16string_view(string).substr(start, scanner.scanLocation() - start),
            CharacterSet::whitespaceAndNewlineCharacterSet());
    } else {
        scanner.scanCharactersFromSet(CharacterSet::alphanumericCharacterSet(), &candidate);
    }
    std::optional<Color> parsed;
    if (!candidate.empty())
        parsed = TEColorCreateWithHTMLName(candidate);
    if (!parsed) {
        scanner.setScanLocation(start);
        return false;
    }
    if (color)
        *color = std::move(*parsed);
    if (htmlName)
        *htmlName = std::move(candidate);
    return true;
}

} // namespace folio
