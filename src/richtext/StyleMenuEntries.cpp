#include "richtext/StyleMenuEntries.h"

namespace folio {

const std::array<StyleMenuEntry, kStyleMenuEntryCount>& styleMenuEntries()
{
    using Kind = StyleMenuEntry::Kind;
    static const std::array<StyleMenuEntry, kStyleMenuEntryCount> entries{{
        {Kind::Preset, true, 0},
        {Kind::Preset, true, 1},
        {Kind::Preset, true, 2},
        {Kind::Preset, true, 3},
        {Kind::Script, false, 0,
         "document.execCommand('insertHTML','false','<br>');document.execCommand('insertOrderedList');scrollToView();"},
        {Kind::Script, false, 0,
         "document.execCommand('insertHTML','false','<br>');document.execCommand('insertUnorderedList');scrollToView();"},
        {Kind::Highlight, false, 0, nullptr, "yellow", "rgb(255, 255, 0)"},
        {Kind::Highlight, false, 0, nullptr, "PaleGreen", "rgb(152, 251, 152)"},
        {Kind::Highlight, false, 0, nullptr, "red", "rgb(255, 0, 0)"},
        {Kind::RemoveHighlight},
        {Kind::Script, true, 0, "document.execCommand('bold');document.execCommand('fontSize',false,7)"},
        {Kind::Script, true, 0, "document.execCommand('fontSize',false,6)"},
        {Kind::Script, true, 0, "document.execCommand('bold');document.execCommand('fontSize',false,5)"},
        {Kind::Script, true, 0, "document.execCommand('bold');document.execCommand('fontSize',false,4)"},
        {Kind::Script, true, 0, "document.execCommand('fontSize',false,3)"},
        {Kind::Script, true, 0, "document.execCommand('fontSize',false,2)"},
        {Kind::Script, true, 0, "document.execCommand('fontSize',false,1)"},
        {Kind::Script, true, 0,
         "makeObjectsEditable ('true');document.execCommand('justifyCenter');document.execCommand('italic');"
         "document.execCommand('fontSize',false,5);makeObjectsEditable ('false');"},
        {Kind::Script, true, 0, nullptr},
    }};
    return entries;
}

} // namespace folio
