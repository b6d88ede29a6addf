// Declaration lists and the value readers on arbitrary text: nothing may crash or hang,
// and lengths stay finite.
#include "engine/css/CSSScanner.h"
#include "engine/css/CSSString.h"
#include "engine/model/TECSSListStyle.h"
#include "platform/foundation/Unicode.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::u16string text = folio::toUtf16(std::string_view(reinterpret_cast<const char*>(data), size));

    folio::CSSStyleDictionary styles = folio::dictionaryOfCSSStyles(text);
    for (const auto& [name, value] : styles) {
        std::u16string valueText = folio::cssValueText(value);
        if (!std::isfinite(folio::pixelSizeOfCSSMeasureRelativeToCurrentTextSize(valueText, 12, 1.5)))
            __builtin_trap();
        folio::isCSSLengthValue(valueText);
        folio::TEEdgeInsetsRelativeToCurrentTextSize(valueText, 12, 1.5);
        folio::arrayOfCSSShadowsWithCurrentTextSize(valueText, 12, folio::Color());
        folio::stringByDecodingCSSContentAttribute(valueText);
    }
    folio::TECSSListStyle list{styles};
    list.prefixWithCounter(static_cast<std::int64_t>(size) - 64);

    folio::Scanner scanner{text};
    std::optional<std::u16string> url;
    folio::scanCSSURL(scanner, &url);
    folio::scanHTMLColor(scanner, nullptr);
    folio::arrayOfCSSShadowsWithCurrentTextSize(text, 12, folio::Color());
    folio::stringByDecodingCSSContentAttribute(text);
    return 0;
}
