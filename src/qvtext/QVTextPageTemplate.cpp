#include "qvtext/QVTextPageTemplate.h"

#include "platform/foundation/Data.h"
#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/Resources.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/UserDefaults.h"
#include "webeditor/PageScript.h"

#include <array>
#include <utility>

namespace folio {

QVTextPageTemplate::BodyFont QVTextPageTemplate::bodyFont(const UserDefaults& defaults)
{
    BodyFont font;
    std::optional<std::string> family = defaults.stringForKey("defaultFont");
    if (defaults.boolForKey("isNewBlankDocument").value_or(false) && family) {
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

std::string QVTextPageTemplate::fill(std::string_view pageTemplate, const Page& page)
{
    auto html = [](const std::string& text) { return HTMLTextEscaper::escape(std::string_view(text)); };
    auto script = [](ScriptValue value) { return value.source(); };
    const std::array<std::pair<std::string_view, std::string>, 11> values{{
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
    }};
    return fillPlaces(pageTemplate, std::vector<Place>(values.begin(), values.end()));
}

std::string QVTextPageTemplate::fillPlaces(std::string_view pageTemplate, const std::vector<Place>& values)
{
    size_t extra = 256;
    for (const auto& place : values)
        extra += place.second.size();
    std::string filled;
    filled.reserve(pageTemplate.size() + extra);
    size_t start = 0;
    while (true) {
        size_t open = pageTemplate.find("{{", start);
        size_t close = open == std::string_view::npos ? open : pageTemplate.find("}}", open + 2);
        if (close == std::string_view::npos)
            break;
        std::string_view name = pageTemplate.substr(open + 2, close - open - 2);
        filled.append(pageTemplate.substr(start, open - start));
        bool known = false;
        for (const auto& [key, value] : values) {
            if (key == name) {
                filled += value;
                known = true;
                break;
            }
        }
        if (!known)
            filled.append(pageTemplate.substr(open, close + 2 - open));
        start = close + 2;
    }
    filled.append(pageTemplate.substr(start));
    return filled;
}

Result<std::string> QVTextPageTemplate::templateText(const std::string& resource)
{
    std::optional<std::string> path = Resources::pathForResource(resource, {}, "pages");
    if (!path)
        return Error{kErrorDomain, MissingResource, "The page template " + resource + " is not installed"};
    Result<Data> pageTemplate = Data::dataWithContentsOfFile(*path);
    if (!pageTemplate)
        return pageTemplate.error();
    return std::string(pageTemplate->stringView());
}

Result<std::string> QVTextPageTemplate::build(const Page& page)
{
    std::optional<std::string> path = Resources::pathForResource(kTemplateResource, {}, "pages");
    if (!path)
        return Error{kErrorDomain, MissingResource, "The QV text page template is not installed"};
    Result<Data> pageTemplate = Data::dataWithContentsOfFile(*path);
    if (!pageTemplate)
        return pageTemplate.error();
    return fill(pageTemplate->stringView(), page);
}

} // namespace folio
