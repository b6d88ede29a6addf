#include "engine/html/writer/HTMLListTagWriter.h"
#include "engine/html/writer/TEHTMLWriter.h"
#include "engine/model/TEParagraphStyle.h"

#include "HTMLWriterTestText.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

using namespace htmlwritertest;

using Entries = std::vector<AttributeDictionary::Entry>;

AttributeDictionary::Entry isList(const std::shared_ptr<const TECSSListStyle>& list)
{
    return {std::string(TETextIsListAttribute), listArray({list})};
}
AttributeDictionary::Entry textLists(const std::shared_ptr<const TECSSListStyle>& list)
{
    return {std::string(TETextListsAttribute), listArray({list})};
}
AttributeDictionary::Entry endOfList()
{
    return {std::string(TETextEndOfListAttribute), text(std::u16string(TETextEndOfListAttributeValue))};
}
AttributeDictionary::Entry endOfAllLists()
{
    return {std::string(TETextEndOfAllOpenedLists), text(std::u16string(TETextEndOfAllOpenedListsValue))};
}
AttributeDictionary::Entry marker(std::string_view key)
{
    return {std::string(key), text(std::u16string(TEListEndMarkerValue))};
}

// Each item paragraph gets a fresh list object, as the RTF reader makes one
// per attribute set; only a list's first item names it under "TETextLists".
struct ReaderLists {
    std::shared_ptr<const TECSSListStyle> next(TECSSListStyleType type = TECSSListStyleType::Disc)
    {
        return listStyle(type);
    }
};

TEST(HTMLWriterListTests, consecutiveItemsShareOneListElement)
{
    ReaderLists lists;
    auto first = lists.next();
    auto second = lists.next();
    AttributedString string = TestText()
                                  .listItem(u"one", {isList(first), textLists(first), endOfAllLists()})
                                  .listItem(u"two", {isList(second), marker(TEListEndMarker)})
                                  .paragraph(u"after")
                                  .build();
    std::u16string fragment = TEHTMLWriter(string).HTMLFragment();
    EXPECT_EQ(1u, countOf(fragment, u"<ul "));
    EXPECT_EQ(2u, countOf(fragment, u"<li"));
    EXPECT_EQ(1u, countOf(fragment, u"</li>"));
    EXPECT_EQ(1u, countOf(fragment, u"</ul>"));
    EXPECT_LT(fragment.find(u"two</li>"), fragment.find(u"</ul>")) << toUtf8(fragment);
    EXPECT_LT(fragment.find(u"</ul>"), fragment.find(u">after</div>"));
    EXPECT_EQ(std::u16string::npos, fragment.find(u"one</li>"));
    expectGolden("list-items-fragment.html", fragment);
}

TEST(HTMLWriterListTests, aListIsClosedAsTheElementItWasOpenedAs)
{
    // An item that goes on with a list under another list kind (a document
    // repeating one list's number with another kind) continues the element
    // open, and that element is what closes, before a paragraph or at the end.
    for (bool paragraphAfter : {true, false}) {
        ReaderLists lists;
        auto numbered = lists.next(TECSSListStyleType::Decimal);
        auto bulleted = lists.next(TECSSListStyleType::Disc);
        TestText text;
        text.listItem(u"one", {isList(numbered), textLists(numbered), endOfAllLists()})
            .listItem(u"two", {isList(bulleted), marker(TEListEndMarker)});
        if (paragraphAfter)
            text.paragraph(u"after");
        std::u16string fragment = TEHTMLWriter(text.build()).HTMLFragment();
        EXPECT_EQ(1u, countOf(fragment, u"<ol ")) << toUtf8(fragment);
        EXPECT_EQ(1u, countOf(fragment, u"</ol>")) << toUtf8(fragment);
        EXPECT_EQ(0u, countOf(fragment, u"<ul")) << toUtf8(fragment);
        EXPECT_EQ(0u, countOf(fragment, u"</ul>")) << toUtf8(fragment);
        if (paragraphAfter)
            EXPECT_LT(fragment.find(u"</ol>"), fragment.find(u">after</div>"));
    }
}

TEST(HTMLWriterListTests, nestedListOpensInsideTheItemAndClosesOnReturn)
{
    ReaderLists lists;
    auto outer = lists.next(TECSSListStyleType::Decimal);
    auto outerSecond = lists.next(TECSSListStyleType::Decimal);
    auto inner = lists.next(TECSSListStyleType::Circle);
    auto innerSecond = lists.next(TECSSListStyleType::Circle);
    auto outerBack = lists.next(TECSSListStyleType::Decimal);
    AttributedString string =
        TestText()
            .listItem(u"A1", {isList(outer), textLists(outer), endOfAllLists()})
            .listItem(u"A2", {isList(outerSecond)})
            .listItem(u"B1", {isList(inner), textLists(inner)})
            .listItem(u"B2", {isList(innerSecond), marker(TEListSublevelEndMarker)})
            .listItem(u"A3", {isList(outerBack), endOfList(), marker(TEListEndMarker)})
            .paragraph(u"after")
            .build();
    std::u16string fragment = TEHTMLWriter(string).HTMLFragment();
    std::size_t outerOpen = fragment.find(u"<ol ");
    std::size_t innerOpen = fragment.find(u"<ul ");
    std::size_t innerClose = fragment.find(u"</ul>");
    std::size_t lastItem = fragment.find(u"A3</li>");
    std::size_t outerClose = fragment.find(u"</ol>");
    ASSERT_NE(std::u16string::npos, outerClose) << toUtf8(fragment);
    EXPECT_LT(outerOpen, fragment.find(u"A2"));
    EXPECT_LT(fragment.find(u"A2"), innerOpen);
    EXPECT_LT(innerOpen, fragment.find(u"B1"));
    EXPECT_LT(fragment.find(u"B2"), innerClose);
    EXPECT_LT(innerClose, lastItem);
    EXPECT_LT(lastItem, outerClose);
    EXPECT_EQ(countOf(fragment, u"<ol "), countOf(fragment, u"</ol>"));
    EXPECT_EQ(countOf(fragment, u"<ul "), countOf(fragment, u"</ul>"));
    EXPECT_NE(std::u16string::npos, fragment.find(u"list-style:circle;"));
    EXPECT_NE(std::u16string::npos, fragment.find(u"list-style:decimal;"));
    expectGolden("nested-list-fragment.html", fragment);
}

TEST(HTMLWriterListTests, nestedListAtTheEndOfTheTextIsClosedCompletely)
{
    ReaderLists lists;
    auto outer = lists.next();
    auto inner = lists.next(TECSSListStyleType::Square);
    AttributedString string = TestText()
                                  .listItem(u"A1", {isList(outer), textLists(outer), endOfAllLists()})
                                  .listItem(u"B1", {isList(inner), textLists(inner)})
                                  .build();
    std::u16string fragment = TEHTMLWriter(string).HTMLFragment();
    EXPECT_EQ(2u, countOf(fragment, u"<ul "));
    EXPECT_EQ(2u, countOf(fragment, u"</ul>"));
    EXPECT_EQ(0u, fragment.size() - fragment.rfind(u"</ul>\n</li></ul>\n") - 17) << toUtf8(fragment);
}

TEST(HTMLWriterListTests, newListAfterNestedListClosesEveryOpenList)
{
    ReaderLists lists;
    auto outer = lists.next();
    auto inner = lists.next();
    auto fresh = lists.next(TECSSListStyleType::UpperRoman);
    AttributedString string =
        TestText()
            .listItem(u"A1", {isList(outer), textLists(outer), endOfAllLists()})
            .listItem(u"B1", {isList(inner), textLists(inner)})
            .listItem(u"C1", {isList(fresh), textLists(fresh), endOfList(), endOfAllLists()})
            .build();
    std::u16string fragment = TEHTMLWriter(string).HTMLFragment();
    std::size_t freshOpen = fragment.find(u"<ol ");
    ASSERT_NE(std::u16string::npos, freshOpen) << toUtf8(fragment);
    // Both bulleted lists end before the new numbered one begins.
    EXPECT_EQ(2u, countOf(fragment.substr(0, freshOpen), u"</ul>"));
    EXPECT_EQ(0u, countOf(fragment.substr(freshOpen), u"</ul>"));
    EXPECT_NE(std::u16string::npos, fragment.find(u"list-style:upper-roman;"));
}

TEST(HTMLWriterListTests, endOfListWithNothingOpenWritesNoStrayClosingTag)
{
    // A second list after an ordinary paragraph carries the end marker of the
    // first one, which that paragraph has closed already.
    ReaderLists lists;
    auto first = lists.next();
    auto second = lists.next();
    AttributedString string = TestText()
                                  .listItem(u"one", {isList(first), textLists(first), endOfAllLists()})
                                  .paragraph(u"between")
                                  .listItem(u"two", {isList(second), textLists(second), endOfList()})
                                  .build();
    std::u16string fragment = TEHTMLWriter(string).HTMLFragment();
    EXPECT_EQ(2u, countOf(fragment, u"<ul "));
    EXPECT_EQ(2u, countOf(fragment, u"</ul>")) << toUtf8(fragment);
}

TEST(HTMLWriterListTests, emptyItemWritesAnEmptyLineInsideTheList)
{
    auto list = listStyle(TECSSListStyleType::Disc);
    AttributedString string = TestText()
                                  .add(u"\n", {isList(list), textLists(list), baseFont(), baseStyle(),
                                               {std::string(TEFieldAttribute), text(u"TEField")}})
                                  .paragraph(u"after")
                                  .build();
    std::u16string fragment = TEHTMLWriter(string).HTMLFragment();
    EXPECT_NE(std::u16string::npos, fragment.find(u"\"></li><div style=\"font-family:")) << toUtf8(fragment);
    EXPECT_LT(fragment.find(u"<br/></div>"), fragment.find(u"</ul>"));
}

TEST(HTMLWriterListTests, listTagsUseTheListKindAndTakeOverTheParagraphIndent)
{
    HTMLStyleClassTable classes;
    TEFootnoteCounter footnotes;
    AttributedString none;
    TEHTMLWriterSettings settings;
    HTMLWriterContext fragment{none, settings, 1.0, true, classes, footnotes};

    TEParagraphStyle style;
    style.setHeadIndent(36);
    style.setFirstLineHeadIndent(10);
    auto numbered = listStyle(TECSSListStyleType::LowerAlpha);
    // An item with a first line of its own (a word processor's) starts its
    // text at its indent, with no room added beside the marker.
    EXPECT_EQ("<ol style=\"list-style:lower-alpha;line-height:normal;margin-top:0px;margin-bottom:0px;;width:89.040000%;padding-left:36px;\">",
              HTMLListTagWriter::openingTag(numbered.get(), &style, fragment));
    EXPECT_EQ(0, style.headIndent());
    EXPECT_EQ(0, style.firstLineHeadIndent());
    // A second list for the same paragraph sees the indent already taken.
    EXPECT_EQ("<ol style=\"list-style:lower-alpha;line-height:normal;margin-top:0px;margin-bottom:0px;;width:90.000000%;padding-left:20px;\">",
              HTMLListTagWriter::openingTag(numbered.get(), &style, fragment));
    EXPECT_EQ("</ol>", HTMLListTagWriter::closingTag(numbered.get()));

    HTMLWriterContext document{none, settings, 1.0, false, classes, footnotes};
    auto bullets = listStyle(TECSSListStyleType::Square);
    TEParagraphStyle plain;
    EXPECT_EQ("<ul class=\"u1\">", HTMLListTagWriter::openingTag(bullets.get(), &plain, document));
    EXPECT_EQ("</ul>", HTMLListTagWriter::closingTag(bullets.get()));
    EXPECT_EQ("</ul>", HTMLListTagWriter::closingTag(nullptr));
}

// Lists that look alike share their tag in one write, and any difference of
// kind, start or style makes a tag of its own: in a document, lists of one
// style share a class and a list that goes on from an earlier number still
// says where it starts.
TEST(HTMLWriterListTests, listTagsDifferWhereTheirKindStartOrStyleDoes)
{
    HTMLStyleClassTable classes;
    TEFootnoteCounter footnotes;
    AttributedString none;
    TEHTMLWriterSettings settings;
    HTMLWriterContext document{none, settings, 1.0, false, classes, footnotes};
    auto numbered = listStyle(TECSSListStyleType::Decimal);
    auto goesOn = std::make_shared<TECSSListStyle>();
    goesOn->setType(TECSSListStyleType::Decimal);
    goesOn->setStartingItemNumber(7);
    auto bullets = listStyle(TECSSListStyleType::Disc);
    auto tagOf = [](const std::shared_ptr<const TECSSListStyle>& list, double indent,
                    const HTMLWriterContext& context) {
        TEParagraphStyle style;
        style.setHeadIndent(indent);
        return HTMLListTagWriter::openingTag(list.get(), &style, context);
    };
    EXPECT_EQ("<ol class=\"o1\">", tagOf(numbered, 0, document));
    EXPECT_EQ("<ol class=\"o1\" start=\"7\">", tagOf(goesOn, 0, document));
    EXPECT_EQ("<ol class=\"o2\">", tagOf(numbered, 36, document));
    EXPECT_EQ("<ul class=\"u1\">", tagOf(bullets, 0, document));
    EXPECT_EQ("<ol class=\"o1\">", tagOf(numbered, 0, document));
    EXPECT_EQ("<ol class=\"o2\" start=\"7\">", tagOf(goesOn, 36, document));

    HTMLWriterContext fragment{none, settings, 1.0, true, classes, footnotes};
    EXPECT_EQ("<ol start=\"7\" style=\"list-style:decimal;line-height:normal;margin-top:0px;margin-bottom:0px;;width:90.000000%;padding-left:20px;\">",
              tagOf(goesOn, 0, fragment));
    EXPECT_EQ("<ol style=\"list-style:decimal;line-height:normal;margin-top:0px;margin-bottom:0px;;width:90.000000%;padding-left:20px;\">",
              tagOf(numbered, 0, fragment));
}

} // namespace
} // namespace folio
