#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace folio {

// A form field of a word processor (a drop-down list, a text box, a check
// box): its field instruction ("FORMDROPDOWN") comes with groups that hold
// the form itself ("{\*\formfield ...}", "{\*\datafield ...}"). Folio shows
// none of it but the value chosen; the groups travel whole with the field's
// instruction, so that a save gives the file its form back.
//
// The instruction keeps them after its own text and a mark no instruction
// holds, as RTF source: each unit one byte of the file.
class DKRTFFormField {
public:
    // Whether a group opening at `open` of an instruction's source is one of
    // the form's.
    static bool isFormGroup(std::u16string_view source, std::size_t open);
    // The instruction's text with the form's groups kept after it.
    static std::u16string joined(std::u16string_view text, std::u16string_view groups);

    // The instruction without the form's groups.
    static std::u16string_view text(std::u16string_view instruction);
    // The form's groups as RTF to write back, or nothing where the
    // instruction holds none, or holds something that is not whole groups of
    // RTF (which would break the file it went into).
    static std::optional<std::string> groupsRTF(std::u16string_view instruction);

    // What the form shows: the item chosen of a list, a check box's box,
    // ticked or not; nothing for a form that shows its own result text.
    static std::optional<std::u16string> shownValue(std::u16string_view instruction);

private:
    static constexpr char16_t kGroupsMark = u'\uE000';
};

} // namespace folio
