#pragma once

#include "engine/css/TECSSStylesheet.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"

#include <functional>
#include <optional>
#include <string>
#include <variant>

namespace folio {

class TEHTMLElement;

// A colour given as a colour, or as CSS colour text to be read.
using TEColorOption = std::variant<Color, std::u16string>;

// What steers a conversion of HTML into attributed text. Every field is
// optional; the comment names the option key each stands for.
struct TEHTMLReaderOptions {
    // "NSBaseURLDocumentOption": base of relative links, linked sheets and sources.
    std::optional<URL> baseURL;
    // "NSTextEncodingNameDocumentOption": the IANA name of the bytes' encoding; UTF-8 when absent.
    std::optional<std::string> textEncodingName;
    // "NSTextSizeMultiplierDocumentOption": the text scale; absent or 0 means 1.
    std::optional<double> textSizeMultiplier;
    // "TEMaxImageSize": the largest display size of an attachment.
    std::optional<Size> maxImageSize;
    // The one folder picture files are read from; without it, anywhere
    // inside the document data folder. An export that stages a document's
    // pictures in a folder of its own reads them back from there.
    std::optional<std::string> pictureFolder;
    // "TEDefaultTextColor", "TEDefaultLinkColor", "TEDefaultLinkHighlightColor".
    std::optional<TEColorOption> defaultTextColor;
    std::optional<TEColorOption> defaultLinkColor;
    std::optional<TEColorOption> defaultLinkHighlightColor;
    // "TEDefaultLinkDecoration": false takes the underline off links.
    std::optional<bool> defaultLinkDecoration;
    // "TEDefaultTextAlignment" (low 8 bits), "TEDefaultLineHeightMultiplier",
    // "TEDefaultFirstLineHeadIndent", "TEDefaultHeadIndent".
    std::optional<int> defaultTextAlignment;
    std::optional<double> defaultLineHeightMultiplier;
    std::optional<int> defaultFirstLineHeadIndent;
    std::optional<int> defaultHeadIndent;
    // The user's default font for text the HTML gives no font: a family, and
    // a size of which only the whole points count. Without a family, the
    // built-in default font and size.
    std::optional<std::string> defaultFontFamily;
    double defaultFontSize = 0;
    // "TEDefaultStyleSheet": merged over the built-in sheet.
    std::optional<TECSSStylesheet> defaultStyleSheet;
    // "TEWillFlushBlockCallBack": called with each top-level element just
    // before its text is appended to the result.
    std::function<void(TEHTMLElement&)> willFlushBlockCallBack;
};

// The colour of a colour option: a colour as it is, text through the CSS colour names.
std::optional<Color> colorFromOption(const TEColorOption& option);

} // namespace folio
