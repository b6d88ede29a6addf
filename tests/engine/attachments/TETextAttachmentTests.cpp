#include "engine/attachments/TEDictationPlaceholderTextAttachment.h"
#include "engine/model/TEFootnoteCounter.h"
#include "engine/attachments/TEIframeTextAttachment.h"
#include "engine/attachments/TEImageTextAttachment.h"
#include "engine/attachments/TEObjectTextAttachment.h"
#include "engine/attachments/TETextAttachment.h"
#include "engine/attachments/TEVideoTextAttachment.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Unicode.h"

#include <gtest/gtest.h>

#include <vector>

namespace folio {
namespace {

TEImageTextAttachment attachmentWithOriginal(Size original)
{
    TEImageTextAttachment attachment;
    attachment.setOriginalSize(original);
    return attachment;
}

TEST(TETextAttachmentDisplaySize, missingSidesFollowTheOriginalAspectRatio)
{
    TEImageTextAttachment attachment = attachmentWithOriginal({200, 100});
    attachment.setDisplaySizeWithMaxDisplaySize({0, 50}, {});
    EXPECT_EQ(attachment.displaySize(), (Size{100, 50}));
    attachment.setDisplaySizeWithMaxDisplaySize({50, 0}, {});
    EXPECT_EQ(attachment.displaySize(), (Size{50, 25}));
    attachment.setDisplaySizeWithMaxDisplaySize({0, 0}, {});
    EXPECT_EQ(attachment.displaySize(), (Size{200, 100}));
    // Sides are rounded to whole points.
    attachment.setDisplaySizeWithMaxDisplaySize({0, 33}, {});
    EXPECT_EQ(attachment.displaySize(), (Size{66, 33}));
}

TEST(TETextAttachmentDisplaySize, isClampedIntoTheMaximumKeepingAspectRatio)
{
    TEImageTextAttachment attachment = attachmentWithOriginal({200, 100});
    attachment.setDisplaySizeWithMaxDisplaySize({0, 50}, {40, 40});
    EXPECT_EQ(attachment.displaySize(), (Size{40, 20}));
    // A size within the maximum is not enlarged to fill it.
    attachment.setDisplaySizeWithMaxDisplaySize({20, 10}, {40, 40});
    EXPECT_EQ(attachment.displaySize(), (Size{20, 10}));
    // A maximum with a zero side means no limit.
    attachment.setDisplaySizeWithMaxDisplaySize({400, 200}, {40, 0});
    EXPECT_EQ(attachment.displaySize(), (Size{400, 200}));
}

TEST(TETextAttachmentDisplaySize, withoutOriginalSizeTheWantedSizeIsKept)
{
    TEImageTextAttachment attachment;
    attachment.setDisplaySizeWithMaxDisplaySize({0, 50}, {});
    EXPECT_EQ(attachment.displaySize(), (Size{0, 50}));
}

TEST(TETextAttachmentDisplaySize, newOriginalSizeFillsAnIncompleteDisplaySize)
{
    TEImageTextAttachment attachment;
    attachment.setMaxImageSize({100, 100});
    attachment.setOriginalSize({300, 150});
    EXPECT_EQ(attachment.displaySize(), (Size{100, 50}));

    TEImageTextAttachment sized;
    sized.setDisplaySize({10, 10});
    sized.setOriginalSize({300, 150});
    EXPECT_EQ(sized.displaySize(), (Size{10, 10}));
}

TEST(TETextAttachmentLayout, ascentAndDescentFollowTheVerticalAlignment)
{
    TEImageTextAttachment attachment;
    attachment.setDisplaySize({10, 20});
    attachment.setFontMetrics(2, 12, 4);
    struct Case {
        TEVerticalAlignment alignment;
        double ascent;
        double descent;
    };
    const std::vector<Case> cases = {
        {TEVerticalAlignment::Baseline, 20, 0},
        {TEVerticalAlignment::Top, 12, 8},
        {TEVerticalAlignment::Center, 14, 6},
        {TEVerticalAlignment::Bottom, 16, 4},
    };
    for (const Case& c : cases) {
        attachment.setVerticalAlignment(c.alignment);
        EXPECT_DOUBLE_EQ(attachment.ascentForLayout(), c.ascent) << static_cast<int>(c.alignment);
        EXPECT_DOUBLE_EQ(attachment.descentForLayout(), c.descent) << static_cast<int>(c.alignment);
        // Whatever the alignment, the line makes room for the whole picture.
        EXPECT_DOUBLE_EQ(attachment.ascentForLayout() + attachment.descentForLayout(), 20);
    }
}

TEST(TETextAttachmentLayout, dictationPlaceholderSitsOnTheBaselineAtItsFixedSize)
{
    TEDictationPlaceholderTextAttachment placeholder;
    placeholder.setVerticalAlignment(TEVerticalAlignment::Top);
    placeholder.setFontMetrics(0, 30, 10);
    EXPECT_EQ(placeholder.displaySize(), (Size{41, 16}));
    EXPECT_EQ(placeholder.originalSize(), (Size{41, 16}));
    EXPECT_DOUBLE_EQ(placeholder.ascentForLayout(), 16);
    EXPECT_DOUBLE_EQ(placeholder.descentForLayout(), 0);
    placeholder.setReplacedAttributedString(AttributedString(u"spoken"));
    EXPECT_EQ(placeholder.replacedAttributedString().string(), u"spoken");
}

TEST(TETextAttachmentValue, attachmentsCompareByIdentity)
{
    auto first = std::make_shared<TEImageTextAttachment>();
    auto second = std::make_shared<TEImageTextAttachment>();
    EXPECT_TRUE(first->isEqual(*first));
    EXPECT_FALSE(first->isEqual(*second));
    EXPECT_EQ(first->typeName(), "attachment");
    EXPECT_NE(first->as<TETextAttachment>(), nullptr);
}

class TETextAttachmentRegistry : public testing::Test {
protected:
    void SetUp() override
    {
        setTELogHandler([this](const TELogMessage& message) { m_messages.emplace_back(message.text); });
        m_savedLevel = TECurrentLogLevel.load();
        TECurrentLogLevel = TELogLevelDebug;
    }
    void TearDown() override
    {
        setTELogHandler({});
        TECurrentLogLevel = m_savedLevel;
    }
    std::vector<std::string> m_messages;
    int m_savedLevel = 0;
};

TEST_F(TETextAttachmentRegistry, theFourElementKindsAreRegistered)
{
    EXPECT_EQ(TETextAttachment::registeredClassForTagName("img"), "TEImageTextAttachment");
    EXPECT_EQ(TETextAttachment::registeredClassForTagName("video"), "TEVideoTextAttachment");
    EXPECT_EQ(TETextAttachment::registeredClassForTagName("iframe"), "TEIframeTextAttachment");
    EXPECT_EQ(TETextAttachment::registeredClassForTagName("object"), "TEObjectTextAttachment");
    EXPECT_EQ(TETextAttachment::registeredClassForTagName("span"), std::nullopt);

    TETextAttachmentOptions options;
    EXPECT_EQ(TETextAttachment::textAttachmentWithElement({"span", {}, {}}, options), nullptr);
    EXPECT_NE(std::dynamic_pointer_cast<TEVideoTextAttachment>(
                  TETextAttachment::textAttachmentWithElement({"video", {}, {}}, options)),
              nullptr);
    EXPECT_NE(std::dynamic_pointer_cast<TEObjectTextAttachment>(
                  TETextAttachment::textAttachmentWithElement({"object", {}, {}}, options)),
              nullptr);
}

TEST_F(TETextAttachmentRegistry, registeringATagAgainReplacesItsClassAndSaysSo)
{
    TETextAttachment::registerClassForTagName(
        "TEVideoTextAttachment",
        [](const TETextAttachmentElement& element, const TETextAttachmentOptions& options) -> TETextAttachmentPtr {
            return TEVideoTextAttachment::attachmentWithElement(element, options);
        },
        "audio");
    EXPECT_TRUE(m_messages.empty());
    TETextAttachment::registerClassForTagName(
        "TEIframeTextAttachment",
        [](const TETextAttachmentElement& element, const TETextAttachmentOptions& options) -> TETextAttachmentPtr {
            return TEIframeTextAttachment::attachmentWithElement(element, options);
        },
        "audio");
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0],
              "Replacing previously registered class 'TEVideoTextAttachment' for tag name 'audio' with "
              "'TEIframeTextAttachment'");
    EXPECT_NE(std::dynamic_pointer_cast<TEIframeTextAttachment>(
                  TETextAttachment::textAttachmentWithElement({"audio", {}, {}}, {})),
              nullptr);
}

TEST(TETextAttachmentElement, elementSizeAndMaximumGiveTheSizes)
{
    TETextAttachmentOptions options;
    options.maxImageSize = {100, 100};
    auto video = TEVideoTextAttachment::attachmentWithElement({"video", {{"controls", u""}}, {400, 200}}, options);
    EXPECT_EQ(video->originalSize(), (Size{400, 200}));
    EXPECT_EQ(video->maxImageSize(), (Size{100, 100}));
    EXPECT_EQ(video->displaySize(), (Size{100, 50}));
    EXPECT_NE(video->attributeForKey("controls"), nullptr);
}

TEST(TEMediaTextAttachment, sourcesResolveAgainstTheBaseAndScriptsAreRefused)
{
    TETextAttachmentOptions options;
    options.baseURL = URL::URLWithString("file:///docs/page.html");
    auto video = TEVideoTextAttachment::attachmentWithElement({"video", {{"src", u"clip.mp4"}}, {}}, options);
    ASSERT_TRUE(video->contentURL());
    EXPECT_EQ(video->contentURL()->absoluteString(), "file:///docs/clip.mp4");

    auto frame = TEIframeTextAttachment::attachmentWithElement({"iframe", {{"src", u"//example.com/e/1"}}, {}}, {});
    ASSERT_TRUE(frame->contentURL());
    EXPECT_EQ(frame->contentURL()->absoluteString(), "http://example.com/e/1");

    auto script = TEIframeTextAttachment::attachmentWithElement({"iframe", {{"src", u"javascript:alert(1)"}}, {}}, {});
    EXPECT_FALSE(script->contentURL());
    auto missing = TEVideoTextAttachment::attachmentWithElement({"video", {}, {}}, options);
    EXPECT_FALSE(missing->contentURL());
}

TEST(TEMediaTextAttachment, writesSourceStyleAndEscapedAttributes)
{
    TEFootnoteCounter footnotes;
    auto video = TEVideoTextAttachment::attachmentWithElement(
        {"video",
         {{"src", u"http://example.com/a.mp4"},
          {"title", u"Tom's \"clip\" <b>&"},
          {"width", u"320"},
          {"onplay", u"alert(1)"},
          {"x\"onload=\"y", u"1"}},
         {320, 240}},
        {});
    video->setVerticalAlignment(TEVerticalAlignment::Center);
    EXPECT_EQ(video->stringByEncodingAsHTML(footnotes),
              u"<video src=\"http://example.com/a.mp4\" style=\"vertical-align:middle;width:320px;height:240px;\""
              u" title=\"Tom&apos;s &quot;clip&quot; &lt;b&gt;&amp;\" x%22onload%3D%22y=\"1\" />");

    auto frame = TEIframeTextAttachment::attachmentWithElement({"iframe", {}, {}}, {});
    EXPECT_EQ(frame->stringByEncodingAsHTML(footnotes), u"<iframe />");
    EXPECT_EQ(footnotes.nextNumber(), 1u);
}

} // namespace
} // namespace folio
