#pragma once

#include "formats/rtf/DKRTFReader.h"
#include "platform/graphics/FakeFontCatalog.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace folio {

// The RTF reader's tests: fixed fonts, and one way to read.
class RTFReaderTest : public testing::Test {
protected:
    void SetUp() override { FontCatalog::setShared(std::make_shared<FakeFontCatalog>()); }

    // The reader's whole answer; the page settings and warnings are kept.
    Result<AttributedString> parse(std::u16string_view rtf, std::optional<std::string> name = std::nullopt)
    {
        m_warnings.clear();
        m_pageSettings = {};
        if (!DKRTFReader::isRTF(rtf))
            return DKRTFReader::parseRTFString(rtf, name);
        DKRTFReader reader(rtf, std::move(name));
        reader.parse();
        m_warnings = reader.warnings();
        m_pageSettings = reader.pageSettings();
        return reader.attributedString().copy();
    }

    // The text of RTF that must be readable.
    AttributedString read(std::u16string_view rtf, std::optional<std::string> name = std::nullopt)
    {
        Result<AttributedString> result = parse(rtf, std::move(name));
        EXPECT_TRUE(result.ok());
        return result.ok() ? result.value() : AttributedString();
    }

    std::vector<std::string> m_warnings;
    DKRTFPageSettings m_pageSettings;
};

} // namespace folio
