#include "platform/foundation/Unicode.h"
#include "platform/ui/Label.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/Switch.h"
#include "platform/ui/TextField.h"
#include "tools/names/NameGeneratorController.h"

#include <gtest/gtest.h>

#include <set>

namespace folio {
namespace {

using Tag = NameGeneratorController::Tag;

PropertyList list(std::initializer_list<const char*> names)
{
    PropertyList::Array array;
    for (const char* name : names)
        array.emplace_back(std::string(name));
    return PropertyList(std::move(array));
}

PropertyList smallLists()
{
    return PropertyList::dictionary({
        {"englishFemale", list({"mary", "ann"})},
        {"englishMale", list({"john", "JAMES"})},
        {"englishLast", list({"smith", "van dyke"})},
        {"frenchMale", list({"pierre"})},
        {"frenchLast", list({"martin"})},
        {"fantasyFemale", list({"elowen"})},
        {"fantasyMale", list({"aldric"})},
        {"fantasyLast", list({"ashbourne", "blackthorn"})},
        {"scifiLast", list({"zenith"})},
    });
}

std::vector<std::u16string> lines(const std::u16string& text)
{
    std::vector<std::u16string> found;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(u'\n', start)) != std::u16string::npos; start = end + 1)
        found.push_back(text.substr(start, end - start));
    return found;
}

class NameGeneratorTest : public testing::Test {
protected:
    void SetUp() override
    {
        sheet->setRandomSource([this] { return draws++; });
        sheet->loadViewIfNeeded();
    }
    void toggle(long tag) { sheet->switchWithTag(tag)->toggle(); }
    std::vector<std::u16string> generate()
    {
        sheet->createName();
        return lines(sheet->nameListView()->text());
    }
    void hold(const std::shared_ptr<TextField>& field, std::u16string text)
    {
        ASSERT_TRUE(field->becomeFirstResponder());
        field->setText(std::move(text));
        field->resignFirstResponder();
    }

    std::uint32_t draws = 0;
    std::shared_ptr<NameGeneratorController> sheet = std::make_shared<NameGeneratorController>(smallLists());
};

TEST_F(NameGeneratorTest, startsWithEnglishMaleNamesAndDrawsFiveCapitalisedLines)
{
    EXPECT_TRUE(sheet->maleButton()->isOn());
    EXPECT_FALSE(sheet->femaleButton()->isOn());
    EXPECT_EQ(sheet->firstNamesArray(), (std::vector<std::u16string>{u"john", u"JAMES"}));
    EXPECT_EQ(sheet->lastNamesArray(), (std::vector<std::u16string>{u"smith", u"van dyke"}));
    // The source counts up, so draws alternate first and last name through each pool.
    EXPECT_EQ(generate(), (std::vector<std::u16string>{u"John Van Dyke", u"John Van Dyke", u"John Van Dyke",
                                                       u"John Van Dyke", u"John Van Dyke"}));
    draws = 1;
    EXPECT_EQ(generate().front(), u"James Smith");
}

TEST_F(NameGeneratorTest, genderIsOneOrTheOtherAndGenresReplaceLanguages)
{
    toggle(Tag::FemaleTag);
    EXPECT_TRUE(sheet->isFemale());
    EXPECT_FALSE(sheet->isMale());
    EXPECT_FALSE(sheet->maleButton()->isOn());
    EXPECT_EQ(sheet->firstNamesArray(), (std::vector<std::u16string>{u"mary", u"ann"}));
    // Choosing the chosen gender again keeps it (the switch shows it still on).
    toggle(Tag::FemaleTag);
    EXPECT_TRUE(sheet->isFemale());
    EXPECT_TRUE(sheet->femaleButton()->isOn());

    toggle(Tag::MaleTag);
    toggle(Tag::FirstLanguageTag + 3); // French
    EXPECT_EQ(sheet->firstNamesArray(), (std::vector<std::u16string>{u"john", u"JAMES", u"pierre"}));
    EXPECT_EQ(sheet->lastNamesArray().back(), u"martin");
    toggle(Tag::FantasyTag);
    EXPECT_EQ(sheet->firstNamesArray(), (std::vector<std::u16string>{u"aldric"}));
    EXPECT_EQ(sheet->lastNamesArray(), (std::vector<std::u16string>{u"ashbourne", u"blackthorn"}));
    toggle(Tag::SciFiTag);
    EXPECT_EQ(sheet->lastNamesArray().back(), u"zenith");
}

TEST_F(NameGeneratorTest, noListsAskForALanguage)
{
    toggle(Tag::FirstLanguageTag); // English off
    EXPECT_TRUE(sheet->firstNamesArray().empty());
    sheet->createName();
    EXPECT_EQ(sheet->nameListView()->text(), u"Please, select one or more languages.");
    // A genre without first names of the chosen gender is no better.
    toggle(Tag::SciFiTag);
    sheet->createName();
    EXPECT_EQ(sheet->nameListView()->text(), u"Please, select one or more languages.");
}

TEST_F(NameGeneratorTest, heldNamesStayInEveryLineUntilCleared)
{
    hold(sheet->firstNameLabel(), u"Ada");
    ASSERT_TRUE(sheet->holdFirst());
    for (const auto& line : generate())
        EXPECT_TRUE(line.starts_with(u"Ada ")) << toUtf8(line);
    hold(sheet->lastNameLabel(), u"Lovelace");
    EXPECT_EQ(generate(), (std::vector<std::u16string>{u"Ada Lovelace"}));

    // The clear button lets the first name be drawn again.
    ASSERT_TRUE(sheet->firstNameLabel()->becomeFirstResponder());
    sheet->firstNameLabel()->clear();
    EXPECT_FALSE(sheet->holdFirst());
    auto drawn = generate();
    ASSERT_EQ(drawn.size(), 5u);
    for (const auto& line : drawn)
        EXPECT_TRUE(line.ends_with(u" Lovelace") && !line.starts_with(u"Ada")) << toUtf8(line);
    // An empty held name counts as none.
    hold(sheet->lastNameLabel(), u"");
    EXPECT_EQ(generate().size(), 5u);
}

TEST_F(NameGeneratorTest, returnEndsEditingAndIsNotTyped)
{
    auto field = sheet->firstNameLabel();
    ASSERT_TRUE(field->becomeFirstResponder());
    field->insertText(u"Bo");
    EXPECT_FALSE(field->insertText(u"\n"));
    EXPECT_FALSE(field->isEditing());
    EXPECT_EQ(sheet->holdFirst(), u"Bo");
}

TEST_F(NameGeneratorTest, alliterationDrawsTheOtherPartsInitialWhenThereIsOne)
{
    toggle(Tag::AlliterationTag);
    hold(sheet->firstNameLabel(), u"Vera");
    for (const auto& line : generate())
        EXPECT_EQ(line, u"Vera Van Dyke");
    // No last name begins with Q: the drawing still ends, with any name.
    hold(sheet->firstNameLabel(), u"Quentin");
    EXPECT_EQ(generate().size(), 5u);
}

TEST_F(NameGeneratorTest, copyPutsTheListOnThePasteboard)
{
    auto names = generate();
    sheet->copyNamesList();
    EXPECT_EQ(Pasteboard::general().string(), sheet->nameListView()->text());
    EXPECT_EQ(Pasteboard::general().string()->back(), u'\n');
}

TEST(NameGeneratorListsTest, everyLanguageAndGenreHasItsThreeListsAndDrawsDiffer)
{
    auto sheet = std::make_shared<NameGeneratorController>();
    for (const char* prefix : NameGeneratorController::listPrefixes()) {
        for (const char* kind : {"Female", "Male", "Last"}) {
            auto names = sheet->namesDictionary().objectForKey(std::string(prefix) + kind);
            ASSERT_TRUE(names && names->arrayValue()) << prefix << kind;
            EXPECT_GE(names->arrayValue()->size(), 20u) << prefix << kind;
        }
    }
    // The process-wide source is not reseeded per draw: two quick draws differ.
    sheet->loadViewIfNeeded();
    std::set<std::u16string> lists;
    for (int draw = 0; draw < 3; ++draw) {
        sheet->createName();
        lists.insert(sheet->nameListView()->text());
    }
    EXPECT_GT(lists.size(), 1u);
}

} // namespace
} // namespace folio
