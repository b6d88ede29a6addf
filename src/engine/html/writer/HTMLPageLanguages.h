#pragma once

#include "engine/html/writer/HTMLAttributeMap.h"

#include <string>

namespace folio {

class AttributedString;
class StringValue;

// The languages most of a document's text is in, which the editing page says
// once, on the element around the text, for every run to inherit: each run
// of a long document would otherwise carry the same three attributes (the
// language of its words, of its East Asian and of its complex-script
// letters), and the page's process keeps every one of them. A run says its
// own only where it differs, "" where it has none of a language the text
// around it has, so that the save reads every run's languages as before.
struct HTMLPageLanguages {
    std::u16string language;
    std::u16string eastAsianLanguage;
    std::u16string complexScriptLanguage;

    // Each the value that covers the most characters of the text; "" where
    // most have none.
    static HTMLPageLanguages mostUsed(const AttributedString& text);

    bool isEmpty() const { return language.empty() && eastAsianLanguage.empty() && complexScriptLanguage.empty(); }

    // The attributes of the element around the text.
    void addElementAttributes(HTMLAttributeMap& attributes) const;
    // The same as markup, " name=\"value\"" each, escaped.
    std::string elementAttributesMarkup() const;

    // The attributes of a run or an empty line whose languages are given
    // (null for none), where they differ from these. `withComplexScript`:
    // the complex-script language is written too, which only the editing
    // page keeps, for the save.
    void addOwnAttributes(const StringValue* language, const StringValue* eastAsianLanguage,
                          const StringValue* complexScriptLanguage, bool withComplexScript,
                          HTMLAttributeMap& attributes) const;
};

} // namespace folio
