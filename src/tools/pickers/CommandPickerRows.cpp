#include "tools/pickers/CommandPickerRows.h"

namespace folio {

const std::vector<std::string_view>& CommandPickerRows::tools()
{
    static const std::vector<std::string_view> rows{
        "Take Snapshot",       "Show Statistics",       "Find & Replace",        "Read Aloud",
        "Typewriter Mode",     "Full Screen View",      "Enable Zoom Text",      "Enable Sepia Mode",
        "Enable Word Counter", "Enable Check Spelling", "Enable Smart Quotes",   "Enable Page Numbers",
        "Web Research"};
    return rows;
}

const std::vector<std::string_view>& CommandPickerRows::miscTools()
{
    static const std::vector<std::string_view> rows{
        "Check Spelling",      "Paste As Plain Text",  "Double Space",       "Normal Space",
        "Clear Formatting",    "Sort Selection",       "Uppercase Selection", "Lowercase Selection",
        "Capitalize Selection", "Decrease Indent",     "Increase Indent"};
    return rows;
}

const std::vector<std::string_view>& CommandPickerRows::magicCursor()
{
    static const std::vector<std::string_view> rows{
        "Check Spelling",      "Select All",          "Select Line",         "Select Paragraph",
        "Select Sentence",     "Select to End",       "Select to Start",     "Go to End",
        "Go to Start",         "Go to Page",          "Paste As Plain Text", "Double Space",
        "Normal Space",        "Clear Formatting",    "Sort Selection",      "Uppercase Selection",
        "Lowercase Selection", "Capitalize Selection", "Decrease Indent",    "Increase Indent"};
    return rows;
}

const std::vector<std::string_view>& CommandPickerRows::styles()
{
    static const std::vector<std::string_view> rows{
        "Default Style",     "User Style 1",       "User Style 2",    "User Style 3",       "Numbered List",
        "Bulleted List",     "Highlight Yellow",   "Highlight Green", "Highlight Red",      "Remove Highlight",
        "Title Style",       "Subtitle Style",     "Heading 1 Style", "Heading 2 Style",    "Subheading 1 Style",
        "Subheading 2 Style", "Footer Style",      "Label Style",     "Remove Style"};
    return rows;
}

const std::vector<std::string_view>& CommandPickerRows::fontSizes()
{
    static const std::vector<std::string_view> rows{"+1", "-1", "+10", "-10", "10",  "12",  "14",  "18",
                                                    "20", "24", "30",  "36",  "48",  "64",  "72",  "96",
                                                    "144", "196", "244", "300", "380", "460"};
    return rows;
}

const std::vector<std::string_view>& CommandPickerRows::aligns()
{
    static const std::vector<std::string_view> rows{"Justify", "Center", "Right", "Left", "Right To Left", "Left To Right"};
    return rows;
}

const std::vector<std::string_view>& CommandPickerRows::images()
{
    static const std::vector<std::string_view> rows{"Insert Photo", "Take & Insert Photo"};
    return rows;
}

const std::vector<std::string_view>& CommandPickerRows::replace()
{
    static const std::vector<std::string_view> rows{"Replace All"};
    return rows;
}

const std::vector<CommandPickerRows::Switch>& CommandPickerRows::toolSwitches()
{
    // Smart quotes follow the setting that the smart-quotes toggle writes.
    static const std::vector<Switch> switches{
        {6, "zoomEnabled", "Enable Zoom Text", "Disable Zoom Text"},
        {7, "nightMode", "Enable Sepia Mode", "Disable Sepia Mode"},
        {8, "wordCounterVisible", "Enable Word Counter", "Disable Word Counter"},
        {9, "autocorrectEnabled", "Enable Check Spelling", "Disable Check Spelling"},
        {10, "smartQuotesEnabled", "Enable Smart Quotes", "Disable Smart Quotes"},
        {11, "pageNumbersEnabled", "Enable Page Numbers", "Disable Page Numbers"},
    };
    return switches;
}

} // namespace folio
