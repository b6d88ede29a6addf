#include "foundation/TEWebArchive.h"
#include "platform/foundation/Data.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Pasteboard.h"

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
    TEWebResource image{{0x89, 'P', 'N', 'G'}, "https://example.com/a.png", "image/png", "", ""};
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

    EXPECT_TRUE(TEWebArchive::archiveWithData(binary(nested(TEWebArchive::kMaximumFrameDepth))));
    Result<TEWebArchive> deep = TEWebArchive::archiveWithData(binary(nested(TEWebArchive::kMaximumFrameDepth + 1)));
    ASSERT_FALSE(deep);
    EXPECT_NE(deep.error().message.find("deeper"), std::string::npos);

    // One bad resource among good ones spoils the archive, not just itself.
    PropertyList badResource = PropertyList::dictionary(
        {{"WebMainResource", page("x").dictionaryRepresentation()},
         {"WebSubresources", PropertyList::array({page("y").dictionaryRepresentation(), PropertyList("text")})}});
    EXPECT_FALSE(TEWebArchive::archiveWithDictionary(badResource));
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
