#include "richtext/RichTextInspectorPanes.h"

namespace folio {

namespace {

using Colour = RichTextSliceSpec::Colour;

const RichTextSliceSpec kZoom{"DocumentContentsZoomInspectorSlice"};
const RichTextSliceSpec kFont{"DKFontInspectorSlice"};
const RichTextSliceSpec kStyle{"DKStyleInspectorSlice"};
const RichTextSliceSpec kParagraphStyle{"DKParagraphStyleInspectorSlice"};
const RichTextSliceSpec kLineSpacing{"DKParagraphLineSpacingInspectorSlice"};
const RichTextSliceSpec kFirstLineIndent{"DKParagraphFirstLineIndentInspectorSlice"};
const RichTextSliceSpec kPageSize{"DKDocumentPageSizeInspectorSlice"};
const RichTextSliceSpec kTopMargin{"DKPageTopMarginSlice"};
const RichTextSliceSpec kBottomMargin{"DKPageBottomMarginSlice"};
const RichTextSliceSpec kLeftMargin{"DKPageLeftMarginSlice"};
const RichTextSliceSpec kRightMargin{"DKPageRightMarginSlice"};
const RichTextSliceSpec kInsertImage{"DKInsertImageInspectorSlice"};
const RichTextSliceSpec kInsertPhoto{"DKInsertPhotoInspectorSlice"};
const RichTextSliceSpec kSpecialChars{"DKSpecialDataAndCharsInspectorSlice"};

RichTextSliceSpec colour(const char* label, Colour which)
{
    return RichTextSliceSpec{"DKTextColorAttributeInspectorSlice", label, which};
}

} // namespace

const std::vector<RichTextSliceSpec>& slicesOfPane(RichTextPane pane)
{
    static const std::vector<RichTextSliceSpec> textFormat{
        {"DKFontAttributesInspectorSlice"}, kParagraphStyle, kFont, kStyle};
    static const std::vector<RichTextSliceSpec> fromKeyboard{
        kZoom, colour("Text Color", Colour::Foreground), colour("Text background color", Colour::Background), kLineSpacing,
        kFirstLineIndent, kFont};
    static const std::vector<RichTextSliceSpec> headerFooter{
        {"DKFontHeaderFooterInspectorSlice"}, {"DKHeaderFooterStyleInspectorSlice"}, {"DKHeaderTopMarginSlice"},
        colour("Text color", Colour::Foreground)};
    static const std::vector<RichTextSliceSpec> footer{
        {"DKFontFooterInspectorSlice"}, {"DKFooterStyleInspectorSlice"}, {"DKFooterBottomMarginSlice"},
        colour("Text color", Colour::Foreground)};
    static const std::vector<RichTextSliceSpec> textColour{
        colour("Text color", Colour::Foreground), colour("Text background color", Colour::Background),
        colour("Paper color", Colour::Paper)};
    static const std::vector<RichTextSliceSpec> textLayout{
        kZoom, kLineSpacing, {"DKParagraphSpacingInspectorSlice"}, {"DKParagraphIndentInspectorSlice"}, kFirstLineIndent,
        kPageSize, kTopMargin, kBottomMargin, kLeftMargin, kRightMargin};
    static const std::vector<RichTextSliceSpec> insertItem{kInsertImage, kInsertPhoto, kSpecialChars,
                                                           {"DKInsertHeaderInspectorSlice"}};
    static const std::vector<RichTextSliceSpec> insertImage{kInsertImage, kInsertPhoto};
    static const std::vector<RichTextSliceSpec> textTools{
        kZoom, kParagraphStyle, kFont, colour("Text Color", Colour::Foreground),
        colour("Text background color", Colour::Background), kLineSpacing, kFirstLineIndent, kPageSize, kTopMargin,
        kBottomMargin, kLeftMargin, kRightMargin, kInsertImage, kInsertPhoto, kSpecialChars,
        {"DKTextActionsInspectorSlice"}, kStyle};
    static const std::vector<RichTextSliceSpec> notEditing{{"DKNotEditingInspectorSlice"}};
    static const std::vector<RichTextSliceSpec> none;
    switch (pane) {
    case RichTextPane::TextFormat: return textFormat;
    case RichTextPane::TextFormatFromKeyboard: return fromKeyboard;
    case RichTextPane::HeaderFooter: return headerFooter;
    case RichTextPane::Footer: return footer;
    case RichTextPane::TextColor: return textColour;
    case RichTextPane::TextLayout: return textLayout;
    case RichTextPane::InsertItem: return insertItem;
    case RichTextPane::InsertImage: return insertImage;
    case RichTextPane::TextTools: return textTools;
    case RichTextPane::NotEditing: return notEditing;
    case RichTextPane::Other: return none;
    }
    return none;
}

} // namespace folio
