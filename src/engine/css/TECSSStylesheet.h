#pragma once

#include "engine/css/CSSStyleDictionary.h"
#include "engine/model/TEFormattingKey.h"

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace folio {

class TEHTMLParserNode;

// The CSS rules the HTML reader applies: the built-in default sheet, the text
// of style elements, linked sheets and a sheet handed in as an option. Rules
// are stored with their shorthands expanded, selectors in the order they first
// appeared, each with a specificity weight; the sheet answers the merged
// properties for one element. Values stay text: the element interprets them.
//
// A sheet is used by one thread at a time; the shared default sheet is only
// read after it is made, and callers that add rules work on a copy.
class TECSSStylesheet {
public:
    TECSSStylesheet() = default;
    // initWithStyleBlock:
    explicit TECSSStylesheet(std::u16string_view styleBlock);
    // Copying (initWithStylesheet:) gives an independent sheet.
    TECSSStylesheet(const TECSSStylesheet&) = default;
    TECSSStylesheet& operator=(const TECSSStylesheet&) = default;

    // Made once per process from the built-in text.
    static const TECSSStylesheet& defaultStyleSheet();

    // Adds every rule of the text.
    void parseStyleBlock(std::u16string_view css);
    // The other sheet's rules, in its order, over ours: for a selector both
    // have, its properties replace ours one by one.
    void mergeStylesheet(const TECSSStylesheet& other);

    // The properties for one element, in cascade order (element name,
    // descendant selectors by weight, classes, id, inline style); none when
    // nothing applies. `matchedSelectors` receives the selectors used beyond
    // the element name, when any.
    std::optional<CSSStyleDictionary> mergedStyleDictionaryForElement(const TEHTMLParserNode& element,
                                                                      std::set<std::string>* matchedSelectors,
                                                                      bool ignoreInlineStyle) const;

    // The same merged properties, shared: an element whose name, classes,
    // id, inline style and matching descendant selectors equal an earlier
    // one's gets the very dictionary made for that one. Null when nothing
    // applies.
    std::shared_ptr<const CSSStyleDictionary> sharedMergedStyleDictionaryForElement(const TEHTMLParserNode& element,
                                                                                  bool ignoreInlineStyle) const;

    // Null when the selector has no rule.
    const CSSStyleDictionary* stylesForSelector(std::string_view selector) const;
    const std::vector<std::string>& orderedSelectors() const { return m_orderedSelectors; }
    std::string description() const;

    // The steps of storing rules, public so that they can be checked on their own.
    void addStyleRule(std::u16string_view ruleText, std::u16string_view selectorList);
    void addStyles(CSSStyleDictionary styles, const std::string& selector);
    static void uncompressShorthands(CSSStyleDictionary& styles);
    // 100 per id, 10 per class, 1 per other component.
    static unsigned weightForSelector(std::string_view selector);
    std::vector<std::string> matchingComplexCascadingSelectorsForElement(const TEHTMLParserNode& element) const;

private:
    std::unordered_map<std::string, CSSStyleDictionary> m_styles;
    std::vector<std::string> m_orderedSelectors;
    std::unordered_map<std::string, unsigned> m_orderedSelectorWeights;
    // The selectors of two or more components, kept apart (and split once)
    // because they are tried against every element.
    struct ComplexSelector {
        std::string selector;
        std::vector<std::string> components;
        // The last component names a tag (not a class or id): an element of
        // another name is told apart without matching.
        bool subjectIsTag = false;
    };
    std::vector<ComplexSelector> m_complexSelectors;
    static bool complexSelectorMatches(const ComplexSelector& selector, const TEHTMLParserNode& element);
    // Inline style attributes already read: a page repeats a few hundred of
    // them over its elements. NOTE: this makes matching unsafe to share
    // between threads; every reader matches against a sheet of its own.
    mutable std::unordered_map<std::u16string, CSSStyleDictionary> m_inlineStyles;
    // Merged properties by everything they are merged from (see
    // sharedMergedStyleDictionaryForElement); emptied whenever a rule is added.
    mutable TEFormattingKeyMap<std::shared_ptr<const CSSStyleDictionary>> m_mergedStyles;
    // The key being looked up, kept so that its room is made once.
    mutable std::string m_mergedStyleKey;
};

} // namespace folio
