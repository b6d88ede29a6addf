#include "engine/css/CSSScanner.h"
#include "engine/css/CSSString.h"
#include "engine/html/HTMLString.h"
#include "engine/model/TECSSListStyle.h"
#include "foundation/markup/HTMLAdditions.h"
#include "platform/foundation/Unicode.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace folio {
namespace {

std::vector<std::pair<std::string, std::u16string>> corpus(const char* folder)
{
    std::vector<std::pair<std::string, std::u16string>> inputs;
    std::filesystem::path path = std::filesystem::path(FOLIO_TEST_DATA_DIR) / "fuzz-corpus" / folder;
    for (const auto& entry : std::filesystem::directory_iterator(path)) {
        std::ifstream file(entry.path(), std::ios::binary);
        std::stringstream bytes;
        bytes << file.rdbuf();
        inputs.emplace_back(entry.path().filename().string(), toUtf16(bytes.str()));
    }
    return inputs;
}

// Well-formed UTF-16 without NUL: what decoding well-formed input must give.
bool isSoundText(std::u16string_view text)
{
    for (std::size_t index = 0; index < text.size(); ++index) {
        char16_t unit = text[index];
        if (unit == 0 || isLowSurrogate(unit))
            return false;
        if (isHighSurrogate(unit)) {
            if (index + 1 >= text.size() || !isLowSurrogate(text[index + 1]))
                return false;
            ++index;
        }
    }
    return true;
}

std::u16string withoutLineSeparators(std::u16string text)
{
    std::erase(text, u'\u2028');
    return text;
}

TEST(FuzzCorpusReplayTest, entityInputsDecodeSoundlyAndRoundTrip)
{
    auto inputs = corpus("entities");
    ASSERT_FALSE(inputs.empty());
    for (const auto& [name, input] : inputs) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(isSoundText(input));
        EXPECT_TRUE(isSoundText(stringByReplacingHTMLEntities(input)));
        EXPECT_TRUE(isSoundText(stringByUnescapingFromHTML(input)));
        std::u16string text = withoutLineSeparators(input);
        EXPECT_EQ(stringByReplacingHTMLEntities(stringByAddingHTMLEntities(text)), text);
        EXPECT_EQ(stringByUnescapingFromHTML(stringByEscapingForHTML(text)), text);
        EXPECT_EQ(stringByUnescapingFromHTML(stringByEscapingForAsciiHTML(text)), text);
    }
}

TEST(FuzzCorpusReplayTest, cssInputsAreReadWithoutBreakingAnything)
{
    auto inputs = corpus("css");
    ASSERT_FALSE(inputs.empty());
    for (const auto& [name, input] : inputs) {
        SCOPED_TRACE(name);
        CSSStyleDictionary styles = dictionaryOfCSSStyles(input);
        EXPECT_FALSE(styles.isEmpty());
        for (const auto& [property, value] : styles) {
            std::u16string text = cssValueText(value);
            EXPECT_TRUE(std::isfinite(pixelSizeOfCSSMeasureRelativeToCurrentTextSize(text, 12, 1)));
            TEEdgeInsets insets = TEEdgeInsetsRelativeToCurrentTextSize(text, 12, 1);
            EXPECT_TRUE(std::isfinite(insets.top + insets.left + insets.bottom + insets.right));
            if (auto shadows = arrayOfCSSShadowsWithCurrentTextSize(text, 12, Color())) {
                EXPECT_FALSE(shadows->empty());
            }
            EXPECT_TRUE(isSoundText(stringByDecodingCSSContentAttribute(text)));
            isCSSLengthValue(text);
        }
        TECSSListStyle list{styles};
        for (std::int64_t counter : {-1000000LL, 0LL, 1LL, 27LL, 5000LL, 4294967297LL}) {
            if (auto prefix = list.prefixWithCounter(counter)) {
                EXPECT_TRUE(isSoundText(*prefix));
            }
        }
        // Reading colours and URLs at every position must always end, moving or not.
        Scanner scanner{input};
        scanner.setCharactersToBeSkipped(std::nullopt);
        while (!scanner.isAtEnd()) {
            std::size_t before = scanner.scanLocation();
            scanHTMLColor(scanner, nullptr);
            scanCSSURL(scanner, nullptr);
            EXPECT_GE(scanner.scanLocation(), before);
            scanner.setScanLocation(std::max(scanner.scanLocation(), before + 1));
        }
    }
}

} // namespace
} // namespace folio
