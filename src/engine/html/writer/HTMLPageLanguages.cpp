#include "engine/html/writer/HTMLPageLanguages.h"

#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TEScriptAttributes.h"
#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/AttributedString.h"

#include <array>
#include <unordered_map>

namespace folio {

namespace {

// A language number no language is known by ("x-lcid-1279") is no language
// to check spelling in: the page keeps it aside, under a name of its own.
bool isPrivateUseLanguage(std::u16string_view language)
{
    return language.starts_with(u"x-");
}

std::u16string_view valueOrNone(const StringValue* value)
{
    return value ? std::u16string_view(value->value()) : std::u16string_view();
}

} // namespace

HTMLPageLanguages HTMLPageLanguages::mostUsed(const AttributedString& text)
{
    static const std::array<AttributeKey, 3> kKeys{AttributeKey(kCTLanguageAttributeName),
                                                    AttributeKey(TEEastAsianLanguageAttribute),
                                                    AttributeKey(TEComplexScriptLanguageAttribute)};
    // Characters by value, for each of the three; the runs of a document
    // share a few values, held once by their dictionaries.
    std::array<std::unordered_map<const StringValue*, std::size_t>, 3> counts;
    text.forEachRun(Range{0, text.length()}, [&](const AttributeDictionaryPtr& attributes, Range run) {
        for (std::size_t index = 0; index < kKeys.size(); ++index) {
            const auto* value = attributes ? attributes->valueForKeyAs<StringValue>(kKeys[index]) : nullptr;
            counts[index][value && !value->value().empty() ? value : nullptr] += run.length;
        }
    });
    std::array<std::u16string, 3> found;
    for (std::size_t index = 0; index < kKeys.size(); ++index) {
        // Equal values of different dictionaries count together.
        std::unordered_map<std::u16string, std::size_t> byText;
        for (const auto& [value, characters] : counts[index])
            byText[value ? value->value() : std::u16string()] += characters;
        std::size_t most = 0;
        for (const auto& [value, characters] : byText) {
            // Ties go to the smaller value, so that the same text always
            // gives the same page.
            if (characters > most || (characters == most && value < found[index])) {
                most = characters;
                found[index] = value;
            }
        }
    }
    return HTMLPageLanguages{std::move(found[0]), std::move(found[1]), std::move(found[2])};
}

void HTMLPageLanguages::addElementAttributes(HTMLAttributeMap& attributes) const
{
    if (!language.empty())
        attributes[isPrivateUseLanguage(language) ? "data-lang" : "lang"] = language;
    if (!eastAsianLanguage.empty())
        attributes["data-east-asian-lang"] = eastAsianLanguage;
    if (!complexScriptLanguage.empty())
        attributes["data-cs-lang"] = complexScriptLanguage;
}

std::string HTMLPageLanguages::elementAttributesMarkup() const
{
    HTMLAttributeMap attributes;
    addElementAttributes(attributes);
    std::string markup;
    for (const auto& [name, value] : attributes)
        markup += " " + name + "=\"" + HTMLTextEscaper::escape(std::string_view(toUtf8(value))) + "\"";
    return markup;
}

void HTMLPageLanguages::addOwnAttributes(const StringValue* runLanguage, const StringValue* runEastAsianLanguage,
                                         const StringValue* runComplexScriptLanguage, bool withComplexScript,
                                         HTMLAttributeMap& attributes) const
{
    // The page reads a run's language from the nearest element that names
    // one, under either name: a run of none, or of a private-use number,
    // clears the language the text around it is checked in.
    const std::u16string_view own = valueOrNone(runLanguage);
    if (own != language) {
        const bool privateUse = isPrivateUseLanguage(own);
        if (privateUse || (own.empty() && isPrivateUseLanguage(language)))
            attributes["data-lang"] = std::u16string(own);
        if (!privateUse || (!language.empty() && !isPrivateUseLanguage(language)))
            attributes["lang"] = privateUse ? std::u16string() : std::u16string(own);
    }
    if (const std::u16string_view eastAsian = valueOrNone(runEastAsianLanguage); eastAsian != eastAsianLanguage)
        attributes["data-east-asian-lang"] = std::u16string(eastAsian);
    if (const std::u16string_view complex = valueOrNone(runComplexScriptLanguage);
        withComplexScript && complex != complexScriptLanguage)
        attributes["data-cs-lang"] = std::u16string(complex);
}

} // namespace folio
