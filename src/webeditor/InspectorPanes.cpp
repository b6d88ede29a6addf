#include "webeditor/InspectorPanes.h"

namespace folio {

namespace {

using Colour = InspectorSliceSpec::Colour;

const InspectorSliceSpec kZoom{"DocumentContentsZoomInspectorSlice"};
const InspectorSliceSpec kFont{"DKFontInspectorSlice"};
const InspectorSliceSpec kStyle{"DKStyleInspectorSlice"};
const InspectorSliceSpec kParagraphStyle{"DKParagraphStyleInspectorSlice"};
const InspectorSliceSpec kLineSpacing{"DKParagraphLineSpacingInspectorSlice"};
const InspectorSliceSpec kFirstLineIndent{"DKParagraphFirstLineIndentInspectorSlice"};
const InspectorSliceSpec kPageSize{"DKDocumentPageSizeInspectorSlice"};
const InspectorSliceSpec kTopMargin{"DKPageTopMarginSlice"};
const InspectorSliceSpec kBottomMargin{"DKPageBottomMarginSlice"};
const InspectorSliceSpec kLeftMargin{"DKPageLeftMarginSlice"};
const InspectorSliceSpec kRightMargin{"DKPageRightMarginSlice"};
const InspectorSliceSpec kInsertImage{"DKInsertImageInspectorSlice"};
const InspectorSliceSpec kInsertPhoto{"DKInsertPhotoInspectorSlice"};
const InspectorSliceSpec kSpecialChars{"DKSpecialDataAndCharsInspectorSlice"};

InspectorSliceSpec colour(const char* label, Colour which)
{
    return InspectorSliceSpec{"DKTextColorAttributeInspectorSlice", label, which};
}

} // namespace

const std::vector<InspectorSliceSpec>& slicesOfPane(InspectorPane pane)
{
    static const std::vector<InspectorSliceSpec> textFormat{
        {"DKFontAttributesInspectorSlice"}, kParagraphStyle, kFont, kStyle};
    static const std::vector<InspectorSliceSpec> fromKeyboard{
        kZoom, colour("Text Color", Colour::Foreground), colour("Text background color", Colour::Background), kLineSpacing,
        kFirstLineIndent, kFont};
    static const std::vector<InspectorSliceSpec> headerFooter{
        {"DKFontHeaderFooterInspectorSlice"}, {"DKHeaderFooterStyleInspectorSlice"}, {"DKHeaderTopMarginSlice"},
        colour("Text color", Colour::Foreground)};
    static const std::vector<InspectorSliceSpec> footer{
        {"DKFontFooterInspectorSlice"}, {"DKFooterStyleInspectorSlice"}, {"DKFooterBottomMarginSlice"},
        colour("Text color", Colour::Foreground)};
    static const std::vector<InspectorSliceSpec> textColour{
        colour("Text color", Colour::Foreground), colour("Text background color", Colour::Background),
        colour("Paper color", Colour::Paper)};
    static const std::vector<InspectorSliceSpec> textLayout{
        kZoom, kLineSpacing, {"DKParagraphSpacingInspectorSlice"}, {"DKParagraphIndentInspectorSlice"}, kFirstLineIndent,
        kPageSize, kTopMargin, kBottomMargin, kLeftMargin, kRightMargin};
    static const std::vector<InspectorSliceSpec> insertItem{kInsertImage, kInsertPhoto, kSpecialChars,
                                                           {"DKInsertHeaderInspectorSlice"}};
    static const std::vector<InspectorSliceSpec> insertImage{kInsertImage, kInsertPhoto};
    static const std::vector<InspectorSliceSpec> textTools{
        kZoom, kParagraphStyle, kFont, colour("Text Color", Colour::Foreground),
        colour("Text background color", Colour::Background), kLineSpacing, kFirstLineIndent, kPageSize, kTopMargin,
        kBottomMargin, kLeftMargin, kRightMargin, kInsertImage, kInsertPhoto, kSpecialChars,
        {"DKTextActionsInspectorSlice"}, kStyle};
    static const std::vector<InspectorSliceSpec> notEditing{{"DKNotEditingInspectorSlice"}};
    static const std::vector<InspectorSliceSpec> none;
    switch (pane) {
    case InspectorPane::TextFormat: return textFormat;
    case InspectorPane::TextFormatFromKeyboard: return fromKeyboard;
    case InspectorPane::HeaderFooter: return headerFooter;
    case InspectorPane::Footer: return footer;
    case InspectorPane::TextColor: return textColour;
    case InspectorPane::TextLayout: return textLayout;
    case InspectorPane::InsertItem: return insertItem;
    case InspectorPane::InsertImage: return insertImage;
    case InspectorPane::TextTools: return textTools;
    case InspectorPane::NotEditing: return notEditing;
    case InspectorPane::Other: return none;
    }
    return none;
}

} // namespace folio
