#include "engine/html/HTMLString.h"
#include "engine/model/TEFootnoteCounter.h"
#include "engine/attachments/TEObjectTextAttachment.h"
#include "platform/foundation/Unicode.h"

#include <gtest/gtest.h>

#include <regex>

namespace folio {
namespace {

std::string html(const TEObjectTextAttachment& attachment, TEFootnoteCounter& footnotes)
{
    return toUtf8(attachment.stringByEncodingAsHTML(footnotes).value_or(u""));
}

// The value of a single-quoted attribute as the page would read it back.
std::u16string attributeValue(const std::string& element, const std::string& name)
{
    std::smatch match;
    if (!std::regex_search(element, match, std::regex(" " + name + "='([^']*)'")))
        return u"<missing>";
    return stringByReplacingHTMLEntities(toUtf16(match[1].str()));
}

TEST(TEObjectTextAttachmentReading, annotationsAndFootnotesKeepTheirKindAndText)
{
    auto comment = TEObjectTextAttachment::attachmentWithElement(
        {"object", {{"class", u"annotation"}, {"data-author", u"Ann"}, {"data-content", u"Check this"}}, {}}, {});
    EXPECT_TRUE(comment->isAnnotation());
    EXPECT_EQ(*comment->contentsString(), u"Check this");
    EXPECT_EQ(*comment->attributeForKey("annotationAuthor"), u"Ann");
    EXPECT_EQ(comment->attributes().size(), 2u);

    auto anonymous = TEObjectTextAttachment::attachmentWithElement(
        {"object", {{"class", u"annotation"}, {"data-content", u"?"}}, {}}, {});
    EXPECT_EQ(*anonymous->attributeForKey("annotationAuthor"), u"Folio_User");

    auto note = TEObjectTextAttachment::attachmentWithElement(
        {"object", {{"class", u"footnote"}, {"data-content", u"See p. 4"}, {"id", u"footnote_1"}}, {}}, {});
    EXPECT_TRUE(note->isFootnote());
    EXPECT_FALSE(note->isAnnotation());
    EXPECT_EQ(note->attributes(), (StringMapValue::Map{{"attachmentType", u"footnote"}}));

    auto other = TEObjectTextAttachment::attachmentWithElement({"object", {{"data", u"movie.swf"}}, {}}, {});
    EXPECT_FALSE(other->isFootnote());
    EXPECT_FALSE(other->isAnnotation());
    EXPECT_EQ(*other->attributeForKey("data"), u"movie.swf");
}

TEST(TEObjectTextAttachmentWriting, footnoteElementCarriesTextAndNumber)
{
    TEFootnoteCounter footnotes;
    std::string element = html(*TEObjectTextAttachment::footnote(u"First"), footnotes);
    EXPECT_TRUE(std::regex_match(element,
                                 std::regex("<object id='footnote_[0-9A-F-]{36}' class='footnote' "
                                            "data-content='First' contenteditable=false><sup>  \\[1\\] "
                                            "</sup></object>")))
        << element;
    EXPECT_NE(html(*TEObjectTextAttachment::footnote(u"Second"), footnotes).find("<sup>  [2] </sup>"),
              std::string::npos);
}

TEST(TEObjectTextAttachmentWriting, annotationElementIsSignedAndMarked)
{
    TEFootnoteCounter footnotes;
    std::string element = html(*TEObjectTextAttachment::annotation(u"Hm", u""), footnotes);
    EXPECT_TRUE(std::regex_match(element, std::regex("<object id='note_[0-9A-F-]{36}' class='annotation' "
                                                     "data-author='Folio_User' data-content='Hm' "
                                                     "contenteditable=false>\\[\xF0\x9F\x92\xAC\\]</object>")))
        << element;
    // Comments take no footnote number.
    EXPECT_EQ(footnotes.nextNumber(), 1u);
}

TEST(TEObjectTextAttachmentWriting, noteTextAndAuthorSurviveQuotesAndCannotInjectMarkup)
{
    const std::u16string text = u"Don't \"quote\" <b>me</b> & 'that' ünïcode \u2603";
    const std::u16string author = u"O'Brien' onclick='alert(1)";
    TEFootnoteCounter footnotes;
    std::string element = html(*TEObjectTextAttachment::annotation(text, author), footnotes);
    EXPECT_EQ(attributeValue(element, "data-content"), text) << element;
    EXPECT_EQ(attributeValue(element, "data-author"), author) << element;
    EXPECT_EQ(element.find("<b>"), std::string::npos);
    // The apostrophes are escaped, so the author cannot end its attribute and start another.
    EXPECT_EQ(element.find("onclick='"), std::string::npos);

    std::string note = html(*TEObjectTextAttachment::footnote(text), footnotes);
    EXPECT_EQ(attributeValue(note, "data-content"), text) << note;
}

TEST(TEObjectTextAttachmentWriting, styleAndOtherAttributesStayInsideTheStartTag)
{
    auto note = TEObjectTextAttachment::footnote(u"n");
    note->setVerticalAlignment(TEVerticalAlignment::Bottom);
    note->setOriginalSize({10, 0});
    auto attributes = note->attributes();
    attributes["lang"] = u"en";
    attributes["onmouseover"] = u"alert(1)";
    note->setAttributes(attributes);
    TEFootnoteCounter footnotes;
    std::string element = html(*note, footnotes);
    std::smatch match;
    ASSERT_TRUE(std::regex_match(element, match, std::regex("<object ([^>]*)><sup>  \\[1\\] </sup></object>")))
        << element;
    EXPECT_NE(match[1].str().find(" style=\"vertical-align:text-bottom;width:10px;\" lang=\"en\""), std::string::npos)
        << element;
    EXPECT_EQ(element.find("onmouseover"), std::string::npos);
    EXPECT_EQ(element.find("attachmentType"), std::string::npos);
}

TEST(TEFootnoteNumbering, notesAreNumberedPerPassSharingTheCounter)
{
    auto first = TEObjectTextAttachment::footnote(u"a");
    auto second = TEObjectTextAttachment::footnote(u"b");

    // Print output after a read: superscripts 1 and 2.
    TEFootnoteCounter print;
    EXPECT_EQ(first->stringByEncodingAsHTMLAndIncludeObjects(false, print), u"<sup>1</sup>");
    EXPECT_EQ(second->stringByEncodingAsHTMLAndIncludeObjects(false, print), u"<sup>2</sup>");

    // A second pass starts again from 1, whatever the first did.
    TEFootnoteCounter editor;
    EXPECT_NE(html(*first, editor).find("[1]"), std::string::npos);
    EXPECT_NE(second->stringByEncodingAsHTMLAndIncludeObjects(true, editor).find(u"[2]"), std::u16string::npos);
    // Object elements and superscripts of one pass share its counter.
    EXPECT_EQ(first->stringByEncodingAsHTMLAndIncludeObjects(false, editor), u"<sup>3</sup>");

    TEFootnoteCounter zero;
    zero.reset(0);
    EXPECT_EQ(first->stringByEncodingAsHTMLAndIncludeObjects(false, zero), u"<sup>1</sup>");
    EXPECT_EQ(first->stringByEncodingAsHTMLAndIncludeObjects(false, zero), u"<sup>2</sup>");
}

} // namespace
} // namespace folio
