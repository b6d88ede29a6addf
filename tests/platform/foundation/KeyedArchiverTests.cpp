#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

struct Leaf final : KeyedArchivable {
    std::string name;
    std::string archiveClassName() const override { return "Leaf"; }
    void encodeWithCoder(KeyedArchiver& coder) const override { coder.encodeString(name, "name"); }
};

struct Branch final : KeyedArchivable {
    bool flag = false;
    std::int64_t count = 0;
    double size = 0;
    Leaf first;
    Leaf second;
    std::string archiveClassName() const override { return "Branch"; }
    void encodeWithCoder(KeyedArchiver& coder) const override
    {
        coder.encodeBool(flag, "flag");
        coder.encodeInteger(count, "count");
        coder.encodeDouble(size, "size");
        coder.encodeObject(first, "first");
        coder.encodeObject(second, "second");
    }
};

std::optional<std::string> leafName(const KeyedUnarchiver& coder)
{
    return coder.className() == "Leaf" ? coder.decodeString("name") : std::nullopt;
}

TEST(KeyedArchiver, nestedObjectsRoundTripInThePlatformsArchiveForm)
{
    Branch branch;
    branch.flag = true;
    branch.count = -42;
    branch.size = 2.5;
    branch.first.name = "one";
    branch.second.name = "two";
    Result<Data> data = KeyedArchiver::archivedDataWithRootObject(branch);
    ASSERT_TRUE(data.ok()) << data.error().message;

    Result<PropertyList> list = PropertyList::fromData(data->span());
    ASSERT_TRUE(list.ok());
    EXPECT_EQ(*list->objectForKey("$archiver")->stringValue(), "NSKeyedArchiver");
    ASSERT_TRUE(list->objectForKey("$top")->objectForKey("root")->uidValue());
    const PropertyList::Array& objects = *list->objectForKey("$objects")->arrayValue();
    EXPECT_EQ(*objects[0].stringValue(), "$null");
    // One class entry per class, however many objects share it.
    int leafClasses = 0;
    for (const PropertyList& object : objects) {
        const PropertyList* name = object.objectForKey("$classname");
        leafClasses += name && *name->stringValue() == "Leaf";
    }
    EXPECT_EQ(leafClasses, 1);

    Result<KeyedUnarchiver> coder = KeyedUnarchiver::forData(data->span());
    ASSERT_TRUE(coder.ok()) << coder.error().message;
    EXPECT_EQ(coder->className(), "Branch");
    EXPECT_TRUE(coder->decodeBool("flag"));
    EXPECT_EQ(coder->decodeInteger("count"), -42);
    EXPECT_DOUBLE_EQ(coder->decodeDouble("size"), 2.5);
    EXPECT_EQ(coder->decodeObject<std::string>("first", leafName), "one");
    EXPECT_EQ(coder->decodeObject<std::string>("second", leafName), "two");
}

TEST(KeyedArchiver, missingOrMistypedFieldsAnswerEmptyValues)
{
    Branch branch;
    Result<Data> data = KeyedArchiver::archivedDataWithRootObject(branch);
    ASSERT_TRUE(data.ok());
    Result<KeyedUnarchiver> coder = KeyedUnarchiver::forData(data->span());
    ASSERT_TRUE(coder.ok());
    EXPECT_FALSE(coder->containsValueForKey("absent"));
    EXPECT_FALSE(coder->decodeBool("absent"));
    EXPECT_EQ(coder->decodeInteger(7, "absent"), 7);
    EXPECT_EQ(coder->decodeDouble("absent"), 0);
    EXPECT_FALSE(coder->decodeString("count"));
    EXPECT_FALSE(coder->decodeObject<std::string>("count", leafName));
}

// References that point outside the table or round in a circle, and data
// that is no archive, answer nothing rather than crash or loop.
TEST(KeyedUnarchiver, refusesDamagedArchives)
{
    EXPECT_FALSE(KeyedUnarchiver::forData(std::span<const std::uint8_t>()).ok());
    PropertyList noRoot = PropertyList::dictionary(
        {{"$top", PropertyList::dictionary({{"root", PropertyList(PropertyList::UID{9})}})},
         {"$objects", PropertyList::array({PropertyList("$null")})}});
    Result<Data> bytes = noRoot.toData(PropertyList::Format::Binary);
    ASSERT_TRUE(bytes.ok());
    EXPECT_FALSE(KeyedUnarchiver::forData(bytes->span()).ok());

    // Object 1 refers to itself under "self" and to nothing under "gone".
    PropertyList circle = PropertyList::dictionary(
        {{"$top", PropertyList::dictionary({{"root", PropertyList(PropertyList::UID{1})}})},
         {"$objects", PropertyList::array({PropertyList("$null"),
                                           PropertyList::dictionary({{"self", PropertyList(PropertyList::UID{1})},
                                                                     {"gone", PropertyList(PropertyList::UID{40})}})})}});
    bytes = circle.toData(PropertyList::Format::Binary);
    ASSERT_TRUE(bytes.ok());
    Result<KeyedUnarchiver> coder = KeyedUnarchiver::forData(bytes->span());
    ASSERT_TRUE(coder.ok());
    std::function<std::optional<int>(const KeyedUnarchiver&)> depth = [&](const KeyedUnarchiver& inner) {
        return std::optional<int>(1 + inner.decodeObject<int>("self", depth).value_or(0));
    };
    std::optional<int> levels = coder->decodeObject<int>("self", depth);
    ASSERT_TRUE(levels);
    EXPECT_LT(*levels, 100);
    EXPECT_FALSE(coder->decodeObject<int>("gone", depth));
}

} // namespace
} // namespace folio
