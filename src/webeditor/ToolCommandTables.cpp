#include "webeditor/ToolCommandTables.h"

namespace folio {

const std::array<CursorCommand, kCursorCommandCount>& cursorCommands()
{
    static const std::array<CursorCommand, kCursorCommandCount> commands{{
        {"Check Spelling", "textformat.abc.dottedunderline", nullptr},
        {"Select All", "doc.plaintext.fill", nullptr},
        {"Select Line", "minus", "selectLine"},
        {"Select Paragraph", "paragraphsign", "selectParagraph"},
        {"Select Sentence", "text.redaction", "selectSentence"},
        {"Select to End", "text.append", "selectToEndOfDoc"},
        {"Select to Start", "text.insert", "selectToStartOfDoc"},
        {"Go to End", "arrow.down.to.line.alt", "moveToEndOfDoc"},
        {"Go to Start", "arrow.up.to.line.alt", nullptr},
        {"Go to Page", "arrow.turn.left.down", "gotoPageinDoc"},
        {"Paste As Plain Text", "doc.on.clipboard", nullptr},
        {"Double Space", "equal", nullptr},
        {"Normal Space", "line.horizontal.3", nullptr},
        {"Clear Formatting", "text.badge.minus", nullptr},
        {"Sort Selection", "arrow.up.arrow.down", nullptr},
        {"Uppercase Selection", "textformat.alt", nullptr},
        {"Lowercase Selection", "textformat.alt", nullptr},
        {"Capitalize Selection", "textformat.size.larger", nullptr},
        {"Decrease Indent", "decrease.indent", nullptr},
        {"Increase Indent", "increase.indent", nullptr},
    }};
    return commands;
}

const std::array<const char*, kToolsOptionCount>& toolsOptionCommands()
{
    static const std::array<const char*, kToolsOptionCount> commands{
        nullptr,                  // 0 snapshot
        "showStatistics",         // 1
        nullptr,                  // 2 find and replace
        nullptr,                  // 3 read aloud
        nullptr,                  // 4 typewriter mode
        "fullScreenDocumentMode", // 5
        "toogleZoomTextMode",     // 6
        nullptr,                  // 7 sepia mode
        "toggleWordCounterVisible", // 8
        "toggleAutoCheckSpelling",  // 9
        "toggleSmartQuotes",      // 10
        nullptr,                  // 11 web browser beside the page
        nullptr,                  // 12 copy HTML
        nullptr,                  // 13 copy plain text
        nullptr,                  // 14 dark night mode
        "showNameGenerator",      // 15
        "showWebResearchBrowser", // 16
        "toggleTypeWriterSounds", // 17
    };
    return commands;
}

std::optional<long> toolsOptionForPickerRow(long row)
{
    if (row < 0 || row >= static_cast<long>(kToolsPickerRowCount))
        return std::nullopt;
    if (row == 11)
        return kPageNumbersOption;
    if (row == 12)
        return 16;
    return row;
}

} // namespace folio
