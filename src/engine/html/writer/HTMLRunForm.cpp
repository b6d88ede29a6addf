#include "engine/html/writer/HTMLRunForm.h"

#include "engine/model/TEAttributeKeys.h"
#include "platform/text/AttributeDictionary.h"

namespace folio {

namespace {

struct RunKeys {
    AttributeKey attachment{NSAttachmentAttributeName};
    AttributeKey link{TELinkAttribute};
    AttributeKey anchor{TEAnchorAttribute};
    AttributeKey customAttributes{TECustomAttributesAttribute};
    AttributeKey font{kCTFontAttributeName};
    AttributeKey kern{kCTKernAttributeName};
    AttributeKey foreground{kCTForegroundColorAttributeName};
    AttributeKey background{NSBackgroundColorAttributeName};
    AttributeKey underline{kCTUnderlineStyleAttributeName};
    AttributeKey strikeOut{TEStrikeOutAttribute};
    AttributeKey doubleStrikeOut{TEDoubleStrikeOutAttribute};
    AttributeKey baselineShift{TEBaselineShiftAttribute};
    AttributeKey superscript{kCTSuperscriptAttributeName};
    AttributeKey capitals{TECapitalsAttribute};
    AttributeKey underlineColor{NSUnderlineColorAttributeName};
    AttributeKey smallCapitals{TESmallCapitalsAttribute};
    AttributeKey shadows{TEShadowsAttribute};
    AttributeKey strokeWidth{NSStrokeWidthAttributeName};
    AttributeKey strokeColor{NSStrokeColorAttributeName};
    AttributeKey kerning{TEKerningAttribute};
    AttributeKey shading{TEShadingAttribute};
    AttributeKey fieldInstruction{TEFieldInstructionAttribute};
    AttributeKey bookmark{TEBookmarkAttribute};
    AttributeKey commentRanges{TECommentRangeAttribute};
    AttributeKey language{kCTLanguageAttributeName};
    AttributeKey eastAsianLanguage{TEEastAsianLanguageAttribute};
    AttributeKey noProofing{TENoProofingAttribute};
    AttributeKey hidden{TEHiddenAttribute};
    AttributeKey pageBreak{TEPageBreakAttribute};
    AttributeKey rule{TEHorizontalRuleStyleAttribute};
    AttributeKey lineBreakClear{TELineBreakClearAttribute};
};

} // namespace

HTMLRunForm::HTMLRunForm(const AttributeDictionary& attributes)
{
    static const RunKeys keys;
    // A dictionary holds no null values.
    for (const auto& [key, value] : attributes) {
        if (key == keys.font)
            look.font = value.get();
        else if (key == keys.foreground)
            look.foreground = value.get();
        else if (key == keys.kern)
            look.kern = value.get();
        else if (key == keys.background)
            look.background = value.get();
        else if (key == keys.underline)
            look.underline = value.get();
        else if (key == keys.strikeOut)
            look.strikeOut = value.get();
        else if (key == keys.superscript)
            look.superscript = value.get();
        else if (key == keys.doubleStrikeOut)
            look.doubleStrikeOut = value.get();
        else if (key == keys.baselineShift)
            look.baselineShift = value.get();
        else if (key == keys.capitals)
            look.capitals = value.get();
        else if (key == keys.underlineColor)
            look.underlineColor = value.get();
        else if (key == keys.smallCapitals)
            look.smallCapitals = value.get();
        else if (key == keys.shadows)
            look.shadows = value.get();
        else if (key == keys.strokeWidth)
            look.strokeWidth = value.get();
        else if (key == keys.strokeColor)
            look.strokeColor = value.get();
        else if (key == keys.kerning)
            kerning = value->as<IntegerValue>();
        else if (key == keys.shading)
            look.shading = shading = value->as<StringValue>();
        else if (key == keys.fieldInstruction)
            fieldInstruction = value->as<StringValue>();
        else if (key == keys.bookmark)
            bookmark = value->as<StringValue>();
        else if (key == keys.commentRanges)
            commentRanges = value->as<StringValue>();
        else if (key == keys.language)
            language = value->as<StringValue>();
        else if (key == keys.eastAsianLanguage)
            eastAsianLanguage = value->as<StringValue>();
        else if (key == keys.noProofing)
            noProofing = value->as<BoolValue>() && value->as<BoolValue>()->value();
        else if (key == keys.hidden)
            hidden = value->as<BoolValue>() && value->as<BoolValue>()->value();
        else if (key == keys.link)
            link = value->as<URLValue>();
        else if (key == keys.anchor)
            anchor = value->as<StringValue>();
        else if (key == keys.customAttributes)
            customAttributes = value->as<StringMapValue>();
        else if (key == keys.attachment)
            isAttachment = true;
        else if (key == keys.pageBreak)
            pageBreak = true;
        else if (key == keys.rule)
            rule = true;
        else if (key == keys.lineBreakClear)
            lineBreakClear = value->as<IntegerValue>();
    }
}

} // namespace folio
