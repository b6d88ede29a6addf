#include "formats/rtf/DKRTFReader.h"
#include "formats/rtf/DKRTFWriter.h"
#include "engine/attachments/TEImageTextAttachment.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TECSSListStyle.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/FakeFontCatalog.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include "support/LibreOfficeConverter.h"
#include "support/RequiredTool.h"

namespace folio {
namespace {

// Documents of other word processors, read and written again as Folio
// writes RTF: the result must keep their structure for Folio's own reader
// and their words for an independent one.
class RTFForeignRoundTripTests : public testing::Test {
protected:
    void SetUp() override { FontCatalog::setShared(std::make_shared<FakeFontCatalog>()); }

    AttributedString readFile(const std::string& name)
    {
        Result<Data> data = Data::dataWithContentsOfFile(std::string(FOLIO_TEST_DATA_DIR) + "/rtf/" + name);
        EXPECT_TRUE(data.ok()) << name;
        Result<AttributedString> text =
            DKRTFReader::parseRTFData(data.ok() ? data->stringView() : "", std::nullopt);
        EXPECT_TRUE(text.ok()) << name;
        return text.ok() ? *text : AttributedString();
    }

    std::string written(const AttributedString& text)
    {
        Result<std::string> rtf = DKRTFWriter::rtfDataForAttributedString(text, false, "");
        EXPECT_TRUE(rtf.ok());
        return rtf.ok() ? *rtf : std::string();
    }

    AttributedString readBack(const std::string& rtf)
    {
        Result<AttributedString> text = DKRTFReader::parseRTFData(rtf, std::nullopt);
        EXPECT_TRUE(text.ok());
        return text.ok() ? *text : AttributedString();
    }

    static std::size_t count(const AttributedString& text, std::string_view key)
    {
        std::size_t found = 0;
        text.enumerateAttribute(key, Range{0, text.length()}, AttributeEnumerationOptions::None,
                                [&](const AttributeValuePtr& value, Range, bool&) {
                                    if (value && !(value->as<IntegerValue>() && value->as<IntegerValue>()->value() == 0))
                                        ++found;
                                });
        return found;
    }

    // The text without placeholders, blanks collapsed.
    static std::u16string visible(const std::u16string& text)
    {
        std::u16string shown;
        for (char16_t unit : text) {
            if (unit == u'\uFEFF' || (unit == u' ' && !shown.empty() && shown.back() == u' '))
                continue;
            shown.push_back(unit);
        }
        return shown;
    }

    static std::map<std::string, int> wordsOf(const std::string& text)
    {
        // Words without the punctuation, digits and list labels around them;
        // the text converter starts its output with a byte-order mark.
        std::string plain = text.starts_with("\xEF\xBB\xBF") ? text.substr(3) : text;
        std::map<std::string, int> words;
        static const std::regex word("[^\\s\\d.,:;!?()\"]{2,}");
        for (auto match = std::sregex_iterator(plain.begin(), plain.end(), word); match != std::sregex_iterator(); ++match) {
            if (match->str() != "\xE2\x80\xA2")
                ++words[match->str()];
        }
        return words;
    }

    std::filesystem::path m_home = std::getenv("FOLIO_HOME");
    const std::vector<std::string> m_fixtures{"word-lists-tables.rtf", "libreoffice-survey.rtf", "wordpad-cyrillic.rtf",
                                              "textedit-letter.rtf"};
};

TEST_F(RTFForeignRoundTripTests, folioRTFKeepsTablesListsLinksPicturesAndNotes)
{
    for (const std::string& name : m_fixtures) {
        AttributedString original = readFile(name);
        std::string rtf = written(original);
        AttributedString again = readBack(rtf);
        // NOTE: a picture's placeholder gains a blank on the way.
        EXPECT_EQ(visible(again.string()), visible(original.string())) << name << "\n" << rtf;
        // Every item keeps its marker.
        EXPECT_EQ(std::ranges::count(again.string(), u'\uFEFF'), std::ranges::count(original.string(), u'\uFEFF'))
            << name << "\n" << rtf;
        for (std::string_view key : {TEIsEndTableCellKey, TEIsEndTableRowKey, TELinkAttribute, NSAttachmentAttributeName})
            EXPECT_EQ(count(again, key), count(original, key)) << name << " " << key;
        // Every list level of the table sits inside its list.
        std::size_t table = rtf.find("{\\*\\listtable");
        if (table != std::string::npos) {
            int depth = 0;
            for (std::size_t at = table + 1; at < rtf.size() && depth >= 0; ++at) {
                if (rtf[at] == '\\') {
                    if (rtf.compare(at, 11, "\\listlevel\\") == 0)
                        EXPECT_EQ(depth, 2) << name;
                    ++at;
                } else if (rtf[at] == '{') {
                    ++depth;
                } else if (rtf[at] == '}') {
                    --depth;
                }
            }
        }
    }
    // Nested numbered levels keep their kind.
    AttributedString word = readBack(written(readFile("word-lists-tables.rtf")));
    std::size_t nested = word.string().find(u"Orchids");
    ASSERT_NE(nested, std::u16string::npos);
    AttributeValuePtr lists = word.attributeAtIndex(TETextListsAttribute, nested - 1);
    ASSERT_NE(lists, nullptr);
    const auto* style = lists->as<ArrayValue>()->elements().back()->as<TECSSListStyle>();
    ASSERT_NE(style, nullptr);
    EXPECT_EQ(style->type(), TECSSListStyleType::LowerAlpha);
}

TEST_F(RTFForeignRoundTripTests, anIndependentReaderFindsTheWordsOfFolioRTF)
{
    if (!test::LibreOfficeConverter::isInstalled())
        return folio::test::missingToolForTest("LibreOffice is not installed (libreoffice-writer-nogui): Folio's RTF is not read by an "
                        "independent reader here");
    const std::filesystem::path folder = m_home / "rtf-round-trip";
    std::filesystem::create_directories(folder / "out");
    std::vector<std::string> files;
    std::map<std::string, std::string> expected;
    for (const std::string& name : m_fixtures) {
        AttributedString original = readFile(name);
        ASSERT_TRUE(Data::fromString(written(original)).writeToFile((folder / name).string()));
        expected[name] = toUtf8(visible(original.string()));
        files.push_back((folder / name).string());
    }
    const test::LibreOfficeConversion plain =
        test::LibreOfficeConverter::convert(files, "txt:Text (encoded):UTF8", (folder / "out").string());
    ASSERT_TRUE(plain.succeeded()) << plain.failure;
    for (const std::string& name : m_fixtures) {
        Result<Data> converted =
            Data::dataWithContentsOfFile((folder / "out" / (name.substr(0, name.size() - 4) + ".txt")).string());
        ASSERT_TRUE(converted.ok()) << name;
        std::map<std::string, int> found = wordsOf(converted->toString());
        int total = 0;
        int kept = 0;
        for (const auto& [word, times] : wordsOf(expected[name])) {
            total += times;
            kept += std::min(times, found[word]);
        }
        EXPECT_EQ(kept, total) << name << ": " << converted->toString();
    }
}

} // namespace
} // namespace folio
