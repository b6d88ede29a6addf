#include "qvtext/QVTextPageTemplate.h"

#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/ResourceTemplate.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/UserDefaults.h"
#include "webeditor/PageScript.h"

#include <array>
#include <map>
#include <utility>

namespace folio {

QVTextPageTemplate::BodyFont QVTextPageTemplate::bodyFont(const UserDefaults& defaults, BlankDocument blank)
{
    BodyFont font;
    std::optional<std::string> family = defaults.stringForKey("defaultFont");
    if (blank == BlankDocument::Yes && family) {
        font.family = *family;
        font.size = static_cast<int>(defaults.doubleForKey("defaultFontSize").value_or(0));
    }
    return font;
}

std::string QVTextPageTemplate::languageCode(std::string_view localeLanguage)
{
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 9> kLanguages{{
        {"es", "es"}, {"fr", "fr_FR"}, {"it", "it"}, {"pt", "pt_BR"}, {"zh", "zh-Hans"},
        {"ar", "ar"}, {"ru", "ru"}, {"de", "de"}, {"ja", "ja"},
    }};
    for (const auto& [prefix, code] : kLanguages) {
        if (hasPrefix(localeLanguage, prefix))
            return std::string(code);
    }
    return "en";
}

namespace {

std::map<std::string, std::string> placeValues(const QVTextPageTemplate::Page& page)
{
    auto html = [](const std::string& text) { return HTMLTextEscaper::escape(std::string_view(text)); };
    auto script = [](ScriptValue value) { return value.source(); };
    return {
        {"tinymce", html(page.tinymceURL)},
        {"helpers", html(page.helpersURL)},
        {"checklist", html(page.checklistURL)},
        {"rangy", html(page.rangyURL)},
        {"rangyTextRange", html(page.rangyTextRangeURL)},
        {"bootstrap", html(page.bootstrapURL)},
        {"fontSize", script(page.fontSize)},
        {"fontFamily", script(page.fontFamily)},
        {"fontRules", script(page.fontRules)},
        {"language", script(page.language)},
        {"text", html(page.html)},
    };
}

} // namespace

Result<std::string> QVTextPageTemplate::fill(std::string_view pageTemplate, const Page& page)
{
    return ResourceTemplate(std::string(pageTemplate), kTemplateResource).filled(placeValues(page));
}

Result<std::string> QVTextPageTemplate::build(const Page& page)
{
    const Result<ResourceTemplate>& pageTemplate = ResourceTemplate::shared(kTemplateResource, "pages");
    if (!pageTemplate)
        return Error{kErrorDomain, MissingResource, "The QV text page template is not installed"};
    return pageTemplate->filled(placeValues(page));
}

} // namespace folio
