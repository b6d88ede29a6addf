#include "engine/css/TECSSStylesheet.h"

#include "engine/css/CSSScanner.h"
#include "engine/css/CSSString.h"
#include "engine/css/TEDefaultStyleSheetText.h"
#include "engine/dom/TEHTMLParserNode.h"
#include "platform/foundation/CharacterSet.h"
#include "platform/foundation/Scanner.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

#include <algorithm>
#include <array>
#include <mutex>

namespace folio {

namespace {

std::vector<std::string> splitAtBlanksDroppingEmpty(std::string_view text)
{
    std::vector<std::string> pieces;
    for (std::string& piece : componentsSeparatedByString(text, " ")) {
        if (!piece.empty())
            pieces.push_back(std::move(piece));
    }
    return pieces;
}

std::vector<std::u16string> splitAtWhitespaceDroppingEmpty(std::u16string_view text)
{
    std::vector<std::u16string> pieces;
    for (std::u16string& piece :
         componentsSeparatedByCharactersInSet(text, CharacterSet::whitespaceAndNewlineCharacterSet())) {
        if (!piece.empty())
            pieces.push_back(std::move(piece));
    }
    return pieces;
}

std::u16string trimmed(std::u16string_view text)
{
    return stringByTrimmingCharactersInSet(text, CharacterSet::whitespaceAndNewlineCharacterSet());
}

// "!important" carries no priority here; it is only taken out of the value.
std::u16string withoutImportant(std::u16string_view value)
{
    std::u16string text(value);
    for (;;) {
        const Range found = rangeOfString(text, u"!important", StringCompareOptions::CaseInsensitive);
        if (found.location == NotFound)
            break;
        text.erase(found.location, found.length);
    }
    return trimmed(text);
}

void removeImportantMarkers(CSSStyleDictionary& styles)
{
    CSSStyleDictionary cleaned;
    for (const auto& [name, value] : styles) {
        if (const auto* text = std::get_if<std::u16string>(&value)) {
            cleaned.setValue(name, withoutImportant(*text));
        } else {
            std::vector<std::u16string> items;
            for (const std::u16string& item : std::get<std::vector<std::u16string>>(value))
                items.push_back(withoutImportant(item));
            cleaned.setValue(name, std::move(items));
        }
    }
    styles = std::move(cleaned);
}

void expandListStyle(CSSStyleDictionary& styles)
{
    const auto value = styles.stringForKey("list-style");
    if (!value)
        return;
    const std::u16string text = lowercaseString(*value);
    styles.removeValueForKey("list-style");
    if (text == u"inherit") {
        styles.setValue("list-style-type", std::u16string(u"inherit"));
        styles.setValue("list-style-position", std::u16string(u"inherit"));
        return;
    }
    std::vector<std::u16string> rest;
    for (std::u16string& token : splitAtWhitespaceDroppingEmpty(text)) {
        if (hasPrefix(token, u"url")) {
            Scanner scanner(token);
            std::optional<std::u16string> url;
            if (scanCSSURL(scanner, &url)) {
                styles.setValue("list-style-image", token);
                continue;
            }
        }
        rest.push_back(std::move(token));
    }
    // The list-style readers accept any text, so the tokens are taken by position.
    if (!rest.empty())
        styles.setValue("list-style-type", rest[0]);
    if (rest.size() > 1)
        styles.setValue("list-style-position", rest[1]);
}

bool isOneOf(std::u16string_view token, std::initializer_list<std::u16string_view> words)
{
    return std::find(words.begin(), words.end(), token) != words.end();
}

void expandFont(CSSStyleDictionary& styles)
{
    const auto value = styles.stringForKey("font");
    if (!value)
        return;
    std::u16string style = u"normal", variant = u"normal", weight = u"normal", size = u"normal",
                   lineHeight = u"normal", family;
    bool sizeSeen = false, weightSeen = false, variantSeen = false;
    for (const std::u16string& token : splitAtWhitespaceDroppingEmpty(*value)) {
        if (isOneOf(token, {u"xx-small", u"x-small", u"small", u"medium", u"large", u"x-large", u"xx-large",
                            u"larger", u"smaller"})) {
            size = token;
            sizeSeen = true;
        } else if (const std::size_t slash = token.find(u'/'); slash != std::u16string::npos) {
            size = token.substr(0, slash);
            lineHeight = token.substr(slash + 1);
            sizeSeen = true;
        } else if (hasSuffix(token, u"%") || hasSuffix(token, u"em") || hasSuffix(token, u"px") ||
                   hasSuffix(token, u"pt")) {
            size = token;
            sizeSeen = true;
        } else if (sizeSeen) {
            if (isOneOf(token, {u"caption", u"icon", u"menu", u"message-box", u"small-caption", u"status-bar",
                                u"inherit"}))
                break;
            if (!family.empty())
                family += u' ';
            family += token;
        } else if (isOneOf(token, {u"italic", u"oblique"})) {
            if (!weightSeen)
                style = token;
        } else if (token == u"small-caps") {
            if (!variantSeen)
                variant = token;
            variantSeen = true;
        } else if (isOneOf(token, {u"bold", u"bolder", u"lighter", u"100", u"200", u"300", u"400", u"500", u"600",
                                   u"700", u"800", u"900"})) {
            if (!weightSeen)
                weight = token;
            weightSeen = true;
        }
    }
    styles.removeValueForKey("font");
    if (size.empty() || family.empty())
        return;
    styles.setValue("font-style", style);
    styles.setValue("font-weight", weight);
    styles.setValue("font-variant", variant);
    styles.setValue("font-size", size);
    styles.setValue("line-height", lineHeight);
    styles.setValue("font-family", family);
}

void expandBoxShorthand(CSSStyleDictionary& styles, const std::string& property)
{
    const auto value = styles.stringForKey(property);
    if (!value)
        return;
    const std::vector<std::u16string> parts = componentsSeparatedByString(*value, u" ");
    std::u16string top, right, bottom, left;
    switch (parts.size()) {
    case 4:
        top = parts[0], right = parts[1], bottom = parts[2], left = parts[3];
        break;
    case 3:
        top = parts[0], right = parts[1], bottom = parts[2], left = parts[1];
        break;
    case 2:
        top = bottom = parts[0];
        right = left = parts[1];
        break;
    default:
        top = right = bottom = left = parts.empty() ? std::u16string() : parts[0];
        break;
    }
    // Longhands written in the same rule win over the shorthand.
    const std::array<std::pair<const char*, std::u16string*>, 4> sides = {
        {{"-top", &top}, {"-right", &right}, {"-bottom", &bottom}, {"-left", &left}}};
    for (const auto& [suffix, side] : sides) {
        const std::string name = property + suffix;
        if (!styles.contains(name))
            styles.setValue(name, *side);
    }
    styles.removeValueForKey(property);
}

void expandBackground(CSSStyleDictionary& styles)
{
    const auto value = styles.stringForKey("background");
    if (!value)
        return;
    styles.removeValueForKey("background");
    Scanner scanner(trimmed(*value));
    const CharacterSet& blanks = CharacterSet::whitespaceAndNewlineCharacterSet();
    while (!scanner.isAtEnd()) {
        Color color;
        std::u16string written;
        if (scanHTMLColor(scanner, &color, &written)) {
            styles.setValue("background-color", written);
            return;
        }
        const std::size_t before = scanner.scanLocation();
        scanner.scanUpToCharactersFromSet(blanks);
        if (scanner.scanLocation() == before)
            break;
    }
}

std::vector<std::u16string> classNamesOf(const TEHTMLParserNode& node)
{
    const std::u16string* classes = node.attributeForKey("class");
    if (!classes)
        return {};
    return componentsSeparatedByString(*classes, u" ");
}

bool componentMatchesNode(std::string_view component, const TEHTMLParserNode& node)
{
    if (component.empty())
        return false;
    if (component[0] == '#') {
        const std::u16string* id = node.attributeForKey("id");
        return id && toUtf8(*id) == component.substr(1);
    }
    if (component[0] == '.') {
        const std::u16string name = toUtf16(component.substr(1));
        for (const std::u16string& className : classNamesOf(node)) {
            if (className == name)
                return true;
        }
        return false;
    }
    return node.name() == component;
}

void addEntries(CSSStyleDictionary& into, const CSSStyleDictionary& from)
{
    for (const auto& [name, value] : from)
        into.setValue(name, value);
}

} // namespace

TECSSStylesheet::TECSSStylesheet(std::u16string_view styleBlock)
{
    parseStyleBlock(styleBlock);
}

const TECSSStylesheet& TECSSStylesheet::defaultStyleSheet()
{
    static const TECSSStylesheet sheet(toUtf16(TEDefaultStyleSheetText()));
    return sheet;
}

void TECSSStylesheet::parseStyleBlock(std::u16string_view css)
{
    int depth = 0;
    std::size_t pendingStart = 0;
    std::u16string selector;
    for (std::size_t i = 0; i < css.size(); ++i) {
        const char16_t c = css[i];
        if (c == u'/' && i + 1 < css.size() && css[i + 1] == u'*') {
            // NOTE: a comment ends at the first "/" after its "*", and the text
            // pending before it is dropped; sheets written for this reader rely
            // on both.
            const std::size_t end = css.find(u'/', i + 2);
            if (end == std::u16string_view::npos)
                return;
            pendingStart = end + 1;
            i = end;
        } else if (c == u'{') {
            if (depth == 0) {
                std::string text = toUtf8(css.substr(pendingStart, i - pendingStart));
                std::string joined;
                for (const std::string& piece : splitAtBlanksDroppingEmpty(text))
                    joined += (joined.empty() ? "" : " ") + piece;
                selector = toUtf16(joined);
                pendingStart = i + 1;
            }
            ++depth;
        } else if (c == u'}') {
            // A stray closing brace is ignored rather than leaving every later
            // rule of the sheet unread.
            if (depth == 0) {
                pendingStart = i + 1;
                continue;
            }
            if (--depth == 0) {
                addStyleRule(css.substr(pendingStart, i - pendingStart), selector);
                pendingStart = i + 1;
            }
        }
    }
}

void TECSSStylesheet::addStyleRule(std::u16string_view ruleText, std::u16string_view selectorList)
{
    for (const std::u16string& rawPiece : componentsSeparatedByString(selectorList, u",")) {
        std::string piece = toUtf8(trimmed(rawPiece));
        CSSStyleDictionary styles = dictionaryOfCSSStyles(ruleText);
        removeImportantMarkers(styles);
        uncompressShorthands(styles);

        if (const std::size_t colon = piece.find(':'); colon != std::string::npos) {
            const std::string pseudoClass = piece.substr(colon + 1);
            piece.erase(colon);
            CSSStyleDictionary prefixed;
            for (const auto& [name, value] : styles)
                prefixed.setValue(pseudoClass + ":" + name, value);
            styles = std::move(prefixed);
        }

        if (const CSSStyleDictionary* existing = stylesForSelector(piece)) {
            CSSStyleDictionary merged = *existing;
            addEntries(merged, styles);
            styles = std::move(merged);
        }
        addStyles(std::move(styles), piece);
    }
}

void TECSSStylesheet::addStyles(CSSStyleDictionary styles, const std::string& selector)
{
    m_mergedStyles.clear();
    if (!m_orderedSelectorWeights.contains(selector)) {
        m_orderedSelectorWeights.emplace(selector, weightForSelector(selector));
        m_orderedSelectors.push_back(selector);
        if (std::vector<std::string> components = splitAtBlanksDroppingEmpty(selector); components.size() >= 2) {
            const bool subjectIsTag = components.back()[0] != '#' && components.back()[0] != '.';
            m_complexSelectors.push_back({selector, std::move(components), subjectIsTag});
        }
    }
    m_styles[selector] = std::move(styles);
}

void TECSSStylesheet::uncompressShorthands(CSSStyleDictionary& styles)
{
    expandListStyle(styles);
    expandFont(styles);
    expandBoxShorthand(styles, "margin");
    expandBoxShorthand(styles, "padding");
    expandBackground(styles);
}

unsigned TECSSStylesheet::weightForSelector(std::string_view selector)
{
    unsigned weight = 0;
    for (const std::string& component : splitAtBlanksDroppingEmpty(selector)) {
        if (component[0] == '#')
            weight += 100;
        else if (component[0] == '.')
            weight += 10;
        else
            weight += 1;
    }
    return weight;
}

void TECSSStylesheet::mergeStylesheet(const TECSSStylesheet& other)
{
    for (const std::string& selector : other.m_orderedSelectors) {
        const CSSStyleDictionary& theirs = other.m_styles.at(selector);
        if (const CSSStyleDictionary* ours = stylesForSelector(selector)) {
            CSSStyleDictionary merged = *ours;
            addEntries(merged, theirs);
            addStyles(std::move(merged), selector);
        } else {
            addStyles(theirs, selector);
        }
    }
}

const CSSStyleDictionary* TECSSStylesheet::stylesForSelector(std::string_view selector) const
{
    auto found = m_styles.find(std::string(selector));
    return found == m_styles.end() ? nullptr : &found->second;
}

std::vector<std::string> TECSSStylesheet::matchingComplexCascadingSelectorsForElement(
    const TEHTMLParserNode& element) const
{
    std::vector<std::string> matching;
    for (const ComplexSelector& selector : m_complexSelectors) {
        if (complexSelectorMatches(selector, element))
            matching.push_back(selector.selector);
    }
    return matching;
}

bool TECSSStylesheet::complexSelectorMatches(const ComplexSelector& selector, const TEHTMLParserNode& element)
{
    const std::vector<std::string>& components = selector.components;
    if (!componentMatchesNode(components.back(), element))
        return false;
    const TEHTMLParserNode* matched = &element;
    for (std::size_t index = components.size() - 1; index-- > 0;) {
        // The nearest matching ancestor is taken, without backtracking.
        const TEHTMLParserNode* ancestor = matched->parentNode();
        while (ancestor && !componentMatchesNode(components[index], *ancestor))
            ancestor = ancestor->parentNode();
        if (!ancestor)
            return false;
        matched = ancestor;
    }
    return true;
}

std::optional<CSSStyleDictionary> TECSSStylesheet::mergedStyleDictionaryForElement(
    const TEHTMLParserNode& element, std::set<std::string>* matchedSelectors, bool ignoreInlineStyle) const
{
    CSSStyleDictionary merged;
    std::set<std::string> matched;

    if (const CSSStyleDictionary* byName = stylesForSelector(element.name()))
        addEntries(merged, *byName);

    std::vector<std::string> descendants = matchingComplexCascadingSelectorsForElement(element);
    std::stable_sort(descendants.begin(), descendants.end(), [this](const std::string& a, const std::string& b) {
        return m_orderedSelectorWeights.at(a) < m_orderedSelectorWeights.at(b);
    });
    for (const std::string& selector : descendants) {
        addEntries(merged, m_styles.at(selector));
        matched.insert(selector);
    }

    for (const std::u16string& className16 : classNamesOf(element)) {
        if (className16.empty())
            continue;
        const std::string className = toUtf8(className16);
        if (const CSSStyleDictionary* byClass = stylesForSelector("." + className)) {
            addEntries(merged, *byClass);
            matched.insert(className);
        }
        const std::string qualified = element.name() + "." + className;
        if (const CSSStyleDictionary* byQualified = stylesForSelector(qualified)) {
            addEntries(merged, *byQualified);
            matched.insert(qualified);
        }
    }

    if (const std::u16string* id = element.attributeForKey("id")) {
        const std::string selector = "#" + toUtf8(*id);
        if (const CSSStyleDictionary* byId = stylesForSelector(selector)) {
            addEntries(merged, *byId);
            matched.insert(selector);
        }
    }

    if (!ignoreInlineStyle) {
        if (const std::u16string* inlineStyle = element.attributeForKey("style"); inlineStyle && !inlineStyle->empty()) {
            constexpr std::size_t kMostInlineStylesKept = 4096;
            auto known = m_inlineStyles.find(*inlineStyle);
            if (known == m_inlineStyles.end()) {
                if (m_inlineStyles.size() >= kMostInlineStylesKept)
                    m_inlineStyles.clear();
                CSSStyleDictionary styles = dictionaryOfCSSStyles(*inlineStyle);
                uncompressShorthands(styles);
                known = m_inlineStyles.emplace(*inlineStyle, std::move(styles)).first;
            }
            addEntries(merged, known->second);
        }
    }

    if (matchedSelectors && !matched.empty())
        *matchedSelectors = std::move(matched);
    if (merged.isEmpty())
        return std::nullopt;
    return merged;
}

std::shared_ptr<const CSSStyleDictionary> TECSSStylesheet::sharedMergedStyleDictionaryForElement(
    const TEHTMLParserNode& element, bool ignoreInlineStyle) const
{
    // Everything mergedStyleDictionaryForElement reads of the element, in
    // one buffer kept between elements: every element of a page asks, and
    // most find what an element before them found.
    std::string& key = m_mergedStyleKey;
    key.clear();
    auto appendSize = [&key](std::size_t size) { key.append(reinterpret_cast<const char*>(&size), sizeof(size)); };
    appendSize(element.name().size());
    key += element.name();
    key += ignoreInlineStyle ? '1' : '0';
    for (std::string_view attribute : {"class", "id", "style"}) {
        const std::u16string* value = element.attributeForKey(attribute);
        if (attribute == "style" && ignoreInlineStyle)
            value = nullptr;
        key += value ? '+' : '-';
        if (value) {
            appendSize(value->size());
            key.append(reinterpret_cast<const char*>(value->data()), value->size() * sizeof(char16_t));
        }
    }
    // The matching complex selectors by their place in the sheet, which
    // holds while this cache does: both change only when a rule is added.
    for (std::size_t index = 0; index < m_complexSelectors.size(); ++index) {
        const ComplexSelector& selector = m_complexSelectors[index];
        if (selector.subjectIsTag && element.name() != selector.components.back())
            continue;
        if (complexSelectorMatches(selector, element))
            appendSize(index);
    }
    const TEFormattingKeyProbe probe(key);
    if (auto known = m_mergedStyles.find(probe); known != m_mergedStyles.end())
        return known->second;

    constexpr std::size_t kMostKept = 4096;
    if (m_mergedStyles.size() >= kMostKept)
        m_mergedStyles.clear();
    std::shared_ptr<const CSSStyleDictionary> merged;
    if (std::optional<CSSStyleDictionary> made = mergedStyleDictionaryForElement(element, nullptr, ignoreInlineStyle))
        merged = std::make_shared<const CSSStyleDictionary>(std::move(*made));
    m_mergedStyles.emplace(TEStoredFormattingKey(probe), merged);
    return merged;
}

std::string TECSSStylesheet::description() const
{
    std::string text = "{\n";
    for (const std::string& selector : m_orderedSelectors) {
        text += "    \"" + selector + "\" = {";
        for (const auto& [name, value] : m_styles.at(selector))
            text += " " + name + ": " + toUtf8(cssValueText(value)) + ";";
        text += " };\n";
    }
    return text + "}";
}

} // namespace folio
