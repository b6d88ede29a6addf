#include "platform/graphics/FakeFontCatalog.h"
#include "platform/text/FontAttributeValue.h"
#include "platform/text/ScalingTextStorage.h"
#include "platform/text/TextAttributeNames.h"

#include <gtest/gtest.h>

#include <vector>

namespace folio {
namespace {

class Recorder : public TextStorageDelegate {
public:
    std::vector<TextStorageEdit> willProcess;
    std::vector<TextStorageEdit> didProcess;
    void textStorageWillProcessEditing(TextStorage&, const TextStorageEdit& edit) override { willProcess.push_back(edit); }
    void textStorageDidProcessEditing(TextStorage&, const TextStorageEdit& edit) override { didProcess.push_back(edit); }
};

// Uppercases every edited range while processing, as a highlighter restyles.
class ShoutingStorage : public TextStorage {
protected:
    void processEditing() override
    {
        Range range = pendingEdit().editedRange;
        addAttribute("shout", BoolValue::make(true), range);
        TextStorage::processEditing();
    }
};

TEST(TextStorageTest, editsOutsideABatchAreProcessedOneByOne)
{
    TextStorage storage;
    auto recorder = std::make_shared<Recorder>();
    storage.setDelegate(recorder);
    storage.replaceCharactersInRange(Range{0, 0}, std::u16string_view(u"hello"));
    storage.replaceCharactersInRange(Range{1, 3}, std::u16string_view(u"i"));
    ASSERT_EQ(recorder->didProcess.size(), 2u);
    EXPECT_EQ(recorder->didProcess[1].editedRange, (Range{1, 1}));
    EXPECT_EQ(recorder->didProcess[1].changeInLength, -2);
    EXPECT_EQ(recorder->willProcess.size(), 2u);
    EXPECT_EQ(storage.string(), u"hio");
    EXPECT_FALSE(storage.replaceCharactersInRange(Range{2, 5}, std::u16string_view(u"x")).ok());
    EXPECT_EQ(recorder->didProcess.size(), 2u);
}

TEST(TextStorageTest, aBatchAddsItsEditsUpIntoOnePass)
{
    TextStorage storage;
    storage.replaceCharactersInRange(Range{0, 0}, std::u16string_view(u"0123456789"));
    auto recorder = std::make_shared<Recorder>();
    storage.setDelegate(recorder);
    storage.beginEditing();
    storage.replaceCharactersInRange(Range{6, 2}, std::u16string_view(u"abcd"));  // 012345abcd89
    storage.replaceCharactersInRange(Range{1, 1}, std::u16string_view(u""));      // 02345abcd89
    storage.setAttributes(AttributeDictionary::make({{"k", IntegerValue::make(1)}}), Range{0, 1});
    EXPECT_TRUE(recorder->didProcess.empty());
    storage.endEditing();
    ASSERT_EQ(recorder->didProcess.size(), 1u);
    EXPECT_EQ(recorder->didProcess[0].editedRange, (Range{0, 9}));
    EXPECT_EQ(recorder->didProcess[0].changeInLength, 1);
    EXPECT_EQ(recorder->didProcess[0].editedMask, TextStorageEditedCharacters | TextStorageEditedAttributes);
}

TEST(TextStorageTest, changesMadeWhileProcessingJoinThePass)
{
    ShoutingStorage storage;
    int passes = 0;
    storage.addObserver([&passes](TextStorage&, const TextStorageEdit&) { ++passes; });
    storage.replaceCharactersInRange(Range{0, 0}, std::u16string_view(u"abc"));
    EXPECT_EQ(passes, 1);
    EXPECT_TRUE(storage.attributeAtIndex("shout", 2));
}

TEST(ScalingTextStorageTest, showsFontsScaledAndPassesEditsThroughUnscaled)
{
    auto catalog = std::make_shared<FakeFontCatalog>();
    auto font = *Font::fontWithName("Cousine", 10, catalog);
    auto underlying = std::make_shared<ShoutingStorage>();
    underlying->replaceCharactersInRange(Range{0, 0}, std::u16string_view(u"abc"));
    underlying->setAttributes(AttributeDictionary::make({{std::string(TextAttributeName::Font), FontAttributeValue::make(font)}}),
                              Range{0, 3});
    auto scaling = ScalingTextStorage::make(underlying, 2.0);
    auto sizeAt = [](TextStorage& storage, std::size_t index) {
        return storage.attributeAtIndex(TextAttributeName::Font, index)->as<FontAttributeValue>()->font().pointSize();
    };
    EXPECT_EQ(sizeAt(*scaling, 1), 20);

    auto recorder = std::make_shared<Recorder>();
    scaling->setDelegate(recorder);
    scaling->replaceCharactersInRange(Range{3, 0}, std::u16string_view(u"d"));
    EXPECT_EQ(underlying->string(), u"abcd");
    EXPECT_EQ(scaling->string(), u"abcd");
    EXPECT_EQ(sizeAt(*underlying, 3), 10);
    EXPECT_EQ(sizeAt(*scaling, 3), 20);
    // What the underlying storage's processing did shows here too.
    EXPECT_TRUE(scaling->attributeAtIndex("shout", 3));
    ASSERT_EQ(recorder->didProcess.size(), 1u);
    EXPECT_EQ(recorder->didProcess[0].changeInLength, 1);

    scaling->setAttributes(AttributeDictionary::make({{std::string(TextAttributeName::Font), FontAttributeValue::make(font.copyWithSize(30))}}),
                           Range{0, 1});
    EXPECT_EQ(sizeAt(*underlying, 0), 15);
    scaling->setScale(1.0);
    EXPECT_EQ(sizeAt(*scaling, 0), 15);
    EXPECT_EQ(sizeAt(*scaling, 3), 10);
}

} // namespace
} // namespace folio
