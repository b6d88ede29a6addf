#include "platform/text/MutableAttributedString.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace folio {
namespace {

// A plain model of attributed text: one dictionary per character. Random edits
// applied to both must leave them describing the same text, and the real
// string must keep its runs merged.
struct Model {
    std::u16string text;
    std::vector<AttributeDictionaryPtr> attributes;
};

void expectSame(const MutableAttributedString& string, const Model& model)
{
    ASSERT_EQ(string.string(), model.text);
    std::size_t index = 0;
    AttributeDictionaryPtr previous;
    while (index < model.text.size()) {
        Range run;
        AttributeDictionaryPtr found = string.attributesAtIndex(index, &run);
        ASSERT_NE(found, nullptr);
        ASSERT_EQ(run.location, index);
        ASSERT_GT(run.length, 0u);
        if (previous) {
            EXPECT_FALSE(previous->isEqual(*found)) << "unmerged runs at " << index;
        }
        for (std::size_t i = run.location; i < run.end(); ++i)
            ASSERT_TRUE(found->isEqual(*model.attributes[i])) << "at " << i;
        previous = found;
        index = run.end();
    }
}

TEST(AttributedStringModel, randomEditsAgreeWithAPerCharacterModel)
{
    std::mt19937 random(20240601);
    std::vector<AttributeDictionaryPtr> palette = {
        AttributeDictionary::empty(),
        AttributeDictionary::make({{"bold", BoolValue::make(true)}}),
        AttributeDictionary::make({{"size", IntegerValue::make(12)}}),
        AttributeDictionary::make({{"bold", BoolValue::make(true)}, {"size", IntegerValue::make(12)}}),
    };
    MutableAttributedString string;
    Model model;
    auto pick = [&](std::size_t bound) { return std::uniform_int_distribution<std::size_t>(0, bound)(random); };

    for (int step = 0; step < 2000; ++step) {
        std::size_t location = pick(model.text.size());
        std::size_t length = pick(model.text.size() - location);
        Range range{location, length};
        switch (pick(4)) {
        case 0: {
            AttributeDictionaryPtr attributes = palette[pick(palette.size() - 1)];
            ASSERT_TRUE(string.setAttributes(attributes, range));
            for (std::size_t i = location; i < range.end(); ++i)
                model.attributes[i] = attributes;
            break;
        }
        case 1: {
            ASSERT_TRUE(string.addAttribute("bold", BoolValue::make(true), range));
            for (std::size_t i = location; i < range.end(); ++i)
                model.attributes[i] = model.attributes[i]->dictionaryBySettingValue("bold", BoolValue::make(true));
            break;
        }
        case 2: {
            ASSERT_TRUE(string.removeAttribute("size", range));
            for (std::size_t i = location; i < range.end(); ++i)
                model.attributes[i] = model.attributes[i]->dictionaryByRemovingKey("size");
            break;
        }
        case 3: {
            std::u16string text(pick(3), u'a' + static_cast<char16_t>(step % 26));
            AttributeDictionaryPtr inherited = AttributeDictionary::empty();
            if (location < model.text.size())
                inherited = model.attributes[location];
            else if (!model.text.empty())
                inherited = model.attributes.back();
            ASSERT_TRUE(string.replaceCharactersInRange(range, text));
            model.text.replace(location, length, text);
            model.attributes.erase(model.attributes.begin() + location, model.attributes.begin() + range.end());
            model.attributes.insert(model.attributes.begin() + location, text.size(), inherited);
            break;
        }
        default: {
            MutableAttributedString piece;
            piece.appendString(u"xy", palette[pick(palette.size() - 1)]);
            piece.appendString(u"z", palette[pick(palette.size() - 1)]);
            ASSERT_TRUE(string.replaceCharactersInRangeWithAttributedString(range, piece));
            model.text.replace(location, length, u"xyz");
            model.attributes.erase(model.attributes.begin() + location, model.attributes.begin() + range.end());
            model.attributes.insert(model.attributes.begin() + location,
                                    {piece.attributesAtIndex(0), piece.attributesAtIndex(1), piece.attributesAtIndex(2)});
            break;
        }
        }
        // Keep the text short enough for every kind of edit to meet every other.
        if (model.text.size() > 60) {
            ASSERT_TRUE(string.deleteCharactersInRange(Range{0, 30}));
            model.text.erase(0, 30);
            model.attributes.erase(model.attributes.begin(), model.attributes.begin() + 30);
        }
        expectSame(string, model);
        if (HasFatalFailure() || HasNonfatalFailure())
            FAIL() << "after step " << step;
    }
}

} // namespace
} // namespace folio
