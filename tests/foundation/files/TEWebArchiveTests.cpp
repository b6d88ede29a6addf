#include "foundation/files/TEWebArchive.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Pasteboard.h"
#include "support/HandWrittenBinaryPlist.h"

#include <gtest/gtest.h>

namespace folio {

namespace {

TEWebResource page(std::string html)
{
    return TEWebResource{std::vector<std::uint8_t>(html.begin(), html.end()), "https://example.com/", "text/html",
                         "UTF-8", ""};
}

std::vector<std::uint8_t> binary(const PropertyList& list)
{
    Result<Data> data = list.toData(PropertyList::Format::Binary);
    EXPECT_TRUE(data);
    return data ? std::vector<std::uint8_t>(data->bytes(), data->bytes() + data->length()) : std::vector<std::uint8_t>();
}

// A chain of frames `depth` deep below the top archive.
PropertyList nested(int depth)
{
    PropertyList archive = PropertyList::dictionary({{"WebMainResource", page("<p>leaf</p>").dictionaryRepresentation()}});
    for (int level = 0; level < depth; ++level)
        archive = PropertyList::dictionary({{"WebSubframeArchives", PropertyList::array({archive})}});
    return archive;
}

} // namespace

TEST(TEWebArchive, WrittenArchivesReadBackWithTheirResourcesAndFrames)
{
    TEWebResource image{std::vector<std::uint8_t>{0x89, 'P', 'N', 'G'}, "https://example.com/a.png", "image/png",
                        std::nullopt, std::nullopt};
    TEWebArchive frame(page("<p>frame</p>"), std::nullopt, std::nullopt);
    TEWebArchive archive(page("<p>Hello</p>"), std::vector<TEWebResource>{image}, std::vector<TEWebArchive>{frame});
    Result<std::vector<std::uint8_t>> bytes = archive.data();
    ASSERT_TRUE(bytes);
    Result<TEWebArchive> read = TEWebArchive::archiveWithData(*bytes);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->mainResource(), page("<p>Hello</p>"));
    ASSERT_TRUE(read->subresources());
    EXPECT_EQ(*read->subresources(), std::vector<TEWebResource>{image});
    ASSERT_TRUE(read->subframeArchives());
    EXPECT_EQ(read->subframeArchives()->at(0).mainResource(), page("<p>frame</p>"));
    EXPECT_FALSE(read->subframeArchives()->at(0).subresources());
    // What was never set stays unset; what was set empty comes back empty.
    EXPECT_FALSE(read->subresources()->at(0).textEncodingName);
    EXPECT_EQ(read->mainResource()->frameName, std::optional<std::string>(""));

    // The editors' copies go out as XML and read back the same.
    Result<std::vector<std::uint8_t>> xml = archive.data(PropertyList::Format::XML);
    ASSERT_TRUE(xml);
    EXPECT_EQ(std::string(xml->begin(), xml->begin() + 5), "<?xml");
    Result<TEWebArchive> fromXML = TEWebArchive::archiveWithData(*xml);
    ASSERT_TRUE(fromXML);
    EXPECT_EQ(fromXML->dictionaryRepresentation(), archive.dictionaryRepresentation());
}

TEST(TEWebArchive, ResourcesWriteOnlyTheirSetPropertiesAndEmptyOnesStay)
{
    TEWebResource bare;
    EXPECT_TRUE(bare.dictionaryRepresentation().keys().empty());
    TEWebResource empty{std::vector<std::uint8_t>{}, "", "", "", ""};
    PropertyList written = empty.dictionaryRepresentation();
    EXPECT_EQ(written.keys().size(), 5u);
    Result<TEWebResource> read = TEWebResource::resourceWithDictionary(written);
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, empty);
    EXPECT_NE(*read, bare);
}

TEST(TEWebArchive, MissingListsStayAbsentAndEmptyListsStayEmpty)
{
    PropertyList withEmpty = PropertyList::dictionary(
        {{"WebMainResource", page("x").dictionaryRepresentation()}, {"WebSubresources", PropertyList::array()}});
    Result<TEWebArchive> read = TEWebArchive::archiveWithDictionary(withEmpty);
    ASSERT_TRUE(read);
    ASSERT_TRUE(read->subresources());
    EXPECT_TRUE(read->subresources()->empty());
    EXPECT_FALSE(read->subframeArchives());
    EXPECT_EQ(read->dictionaryRepresentation(), withEmpty);
}

TEST(TEWebArchive, DamagedOrTooDeepArchivesAreRefusedWhole)
{
    int logged = 0;
    setTELogHandler([&](const TELogMessage&) { ++logged; });
    std::vector<std::uint8_t> garbage{'n', 'o', 't', ' ', 'a', ' ', 'p', 'l', 'i', 's', 't'};
    EXPECT_FALSE(TEWebArchive::archiveWithData(garbage));
    EXPECT_EQ(logged, 1);
    setTELogHandler(nullptr);
    // A written archive cut short anywhere is refused, never read in part.
    TEWebArchive whole(page("<p>whole</p>"), std::vector<TEWebResource>{page("<p>part</p>")}, std::nullopt);
    for (PropertyList::Format format : {PropertyList::Format::Binary, PropertyList::Format::XML}) {
        std::vector<std::uint8_t> bytes = whole.data(format).value();
        // XML is cut inside the archive: without only its closing
        // "</plist>" it is still whole.
        std::size_t first = format == PropertyList::Format::XML ? std::string_view("\n</plist>\n").size() + 1 : 1;
        for (std::size_t cut = first; cut < bytes.size(); cut += 7)
            EXPECT_FALSE(TEWebArchive::archiveWithData(std::span(bytes).first(bytes.size() - cut))) << cut;
    }

    EXPECT_TRUE(TEWebArchive::archiveWithData(binary(nested(TEWebArchive::kMaximumFrameDepth))));
    Result<TEWebArchive> deep = TEWebArchive::archiveWithData(binary(nested(TEWebArchive::kMaximumFrameDepth + 1)));
    ASSERT_FALSE(deep);
    EXPECT_NE(deep.error().message.find("deeper"), std::string::npos);

    // One bad resource among good ones spoils the archive, not just itself.
    PropertyList badResource = PropertyList::dictionary(
        {{"WebMainResource", page("x").dictionaryRepresentation()},
         {"WebSubresources", PropertyList::array({page("y").dictionaryRepresentation(), PropertyList("text")})}});
    EXPECT_FALSE(TEWebArchive::archiveWithDictionary(badResource));
    // A frame list that holds its own archive, which only a binary list can say.
    testing_support::HandWrittenBinaryPlist loop;
    std::uint8_t key = loop.addString("WebSubframeArchives");
    std::uint8_t frames = loop.addArray({0});
    std::uint8_t top = loop.addDictionary({{key, frames}});
    loop.replace(frames, {0xA1, top});
    Result<TEWebArchive> looped = TEWebArchive::archiveWithData(loop.bytes(top));
    ASSERT_FALSE(looped);
    EXPECT_EQ(looped.error().domain, PropertyList::kErrorDomain);
    // The same frame listed over and over, level after level.
    testing_support::HandWrittenBinaryPlist fan;
    std::uint8_t frameKey = fan.addString("WebSubframeArchives");
    std::vector<std::uint8_t> levels;
    for (int level = 0; level < 10; ++level) {
        std::uint8_t list = fan.add({});
        levels.push_back(fan.addDictionary({{frameKey, list}}));
    }
    for (std::size_t level = 0; level + 1 < levels.size(); ++level)
        fan.replace(static_cast<std::uint8_t>(levels[level] - 1),
                    {0xAC, levels[level + 1], levels[level + 1], levels[level + 1], levels[level + 1],
                     levels[level + 1], levels[level + 1], levels[level + 1], levels[level + 1], levels[level + 1],
                     levels[level + 1], levels[level + 1], levels[level + 1]});
    fan.replace(static_cast<std::uint8_t>(levels.back() - 1), {0xA0});
    EXPECT_FALSE(TEWebArchive::archiveWithData(fan.bytes(levels.front())));

    PropertyList badURL = PropertyList::dictionary(
        {{"WebMainResource", PropertyList::dictionary({{"WebResourceURL", PropertyList(std::int64_t(3))}})}});
    EXPECT_FALSE(TEWebArchive::archiveWithDictionary(badURL));
}

TEST(TEWebArchive, ThePasteboardHoldsArchivesUnderTheirType)
{
    NotificationCenter center;
    Pasteboard pasteboard(center);
    EXPECT_FALSE(TEWebArchive::webArchiveFromPasteboard(pasteboard));
    pasteboard.setString(u"plain");
    EXPECT_FALSE(TEWebArchive::webArchiveFromPasteboard(pasteboard));

    TEWebArchive archive(page("<b>rich</b>"), std::nullopt, std::nullopt);
    ASSERT_TRUE(TEWebArchive::setWebArchiveOnPasteboard(archive, pasteboard));
    EXPECT_TRUE(pasteboard.containsPasteboardType("Apple Web Archive pasteboard type"));
    std::optional<TEWebArchive> read = TEWebArchive::webArchiveFromPasteboard(pasteboard);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->mainResource(), page("<b>rich</b>"));
}

} // namespace folio
