#include "formats/rtf/DKRTFSectionWords.h"

#include "formats/rtf/DKRTFDataBuffer.h"

#include <array>
#include <string_view>

namespace folio {

void DKRTFSectionWords::append(DKRTFDataBuffer& buffer, const TESectionBreak::Settings& section)
{
    switch (section.start) {
    case TESectionBreak::Start::NextPage:
        break;
    case TESectionBreak::Start::Continuous:
        buffer.appendCString("\\sbknone");
        break;
    case TESectionBreak::Start::NextColumn:
        buffer.appendCString("\\sbkcol");
        break;
    case TESectionBreak::Start::EvenPage:
        buffer.appendCString("\\sbkeven");
        break;
    case TESectionBreak::Start::OddPage:
        buffer.appendCString("\\sbkodd");
        break;
    }
    using Settings = TESectionBreak::Settings;
    struct Word {
        std::string_view word;
        std::optional<int> Settings::*value;
    };
    static constexpr std::array<Word, 15> kWords{{
        {"\\pgwsxn", &Settings::paperWidth},
        {"\\pghsxn", &Settings::paperHeight},
        {"\\marglsxn", &Settings::leftMargin},
        {"\\margrsxn", &Settings::rightMargin},
        {"\\margtsxn", &Settings::topMargin},
        {"\\margbsxn", &Settings::bottomMargin},
        {"\\guttersxn", &Settings::gutter},
        {"\\headery", &Settings::headerDistance},
        {"\\footery", &Settings::footerDistance},
        {"\\cols", &Settings::columns},
        {"\\colsx", &Settings::columnSpacing},
        {"\\pgnstarts", &Settings::pageNumberStart},
        {"\\linemod", &Settings::lineNumberInterval},
        {"\\linex", &Settings::lineNumberDistance},
        {"\\linestarts", &Settings::lineNumberStart},
    }};
    for (const Word& word : kWords) {
        if (const std::optional<int>& value = section.*word.value) {
            buffer.appendCString(word.word);
            buffer.appendInteger(*value);
        }
    }
    if (section.landscape)
        buffer.appendCString("\\lndscpsxn");
    if (section.titlePage)
        buffer.appendCString("\\titlepg");
    // Indexed by the kinds' values.
    static constexpr std::array<const char*, 4> kPageNumberFormat{"\\pgnucrm", "\\pgnlcrm", "\\pgnucltr", "\\pgnlcltr"};
    static constexpr std::array<const char*, 3> kLineNumbering{"\\lineppage", "\\linerestart", "\\linecont"};
    if (section.restartsPageNumbers)
        buffer.appendCString("\\pgnrestart");
    if (section.pageNumberFormat)
        buffer.appendCString(kPageNumberFormat.at(static_cast<std::size_t>(*section.pageNumberFormat)));
    if (section.lineNumbering)
        buffer.appendCString(kLineNumbering.at(static_cast<std::size_t>(*section.lineNumbering)));
}

} // namespace folio
