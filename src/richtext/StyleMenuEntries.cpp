#include "richtext/StyleMenuEntries.h"

namespace folio {

const std::array<StyleMenuEntry, kStyleMenuEntryCount>& styleMenuEntries()
{
    using Kind = StyleMenuEntry::Kind;
    static const std::array<StyleMenuEntry, kStyleMenuEntryCount> entries{{
        {Kind::Preset, true, 0, nullptr, nullptr, nullptr, ""},
        {Kind::Preset, true, 1, nullptr, nullptr, nullptr, "User Style 1"},
        {Kind::Preset, true, 2, nullptr, nullptr, nullptr, "User Style 2"},
        {Kind::Preset, true, 3, nullptr, nullptr, nullptr, "User Style 3"},
        {Kind::Script, false, 0, "makeRichTextList('insertOrderedList');"},
        {Kind::Script, false, 0, "makeRichTextList('insertUnorderedList');"},
        {Kind::Highlight, false, 0, nullptr, "yellow", "rgb(255, 255, 0)"},
        {Kind::Highlight, false, 0, nullptr, "PaleGreen", "rgb(152, 251, 152)"},
        {Kind::Highlight, false, 0, nullptr, "red", "rgb(255, 0, 0)"},
        {Kind::RemoveHighlight},
        {Kind::Script, true, 0, "document.execCommand('bold');document.execCommand('fontSize',false,7)", nullptr, nullptr,
         "Title"},
        {Kind::Script, true, 0, "document.execCommand('fontSize',false,6)", nullptr, nullptr, "Subtitle"},
        {Kind::Script, true, 0, "document.execCommand('bold');document.execCommand('fontSize',false,5)", nullptr, nullptr,
         "Heading 1"},
        {Kind::Script, true, 0, "document.execCommand('bold');document.execCommand('fontSize',false,4)", nullptr, nullptr,
         "Heading 2"},
        {Kind::Script, true, 0, "document.execCommand('fontSize',false,3)", nullptr, nullptr, "Subheading 1"},
        {Kind::Script, true, 0, "document.execCommand('fontSize',false,2)", nullptr, nullptr, "Subheading 2"},
        {Kind::Script, true, 0, "document.execCommand('fontSize',false,1)", nullptr, nullptr, "Footer"},
        {Kind::Script, true, 0,
         "makeObjectsEditable ('true');document.execCommand('justifyCenter');document.execCommand('italic');"
         "document.execCommand('fontSize',false,5);makeObjectsEditable ('false');",
         nullptr, nullptr, "Label"},
        {Kind::Script, true, 0, nullptr, nullptr, nullptr, ""},
    }};
    return entries;
}

} // namespace folio
