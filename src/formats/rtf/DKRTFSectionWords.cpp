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
    static constexpr std::array<Word, 11> kWords{{
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
}

} // namespace folio
