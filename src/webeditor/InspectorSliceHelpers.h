#pragma once

#include "platform/docframework/DKInspectorSlice.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "tools/inspectors/ControlSlices.h"

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace folio::inspector_slices {

// The small vocabulary every editor's slice factory speaks.

inline std::u16string localized(std::string_view key)
{
    return toUtf16(Localization::localizedString(key, ""));
}

inline std::vector<std::u16string> utf16(const std::vector<std::string>& names)
{
    std::vector<std::u16string> out;
    for (const std::string& name : names)
        out.push_back(toUtf16(name));
    return out;
}

// A slice made with its arguments and named by the kind it was made for.
template <typename Slice, typename... Arguments>
std::shared_ptr<DKInspectorSlice> named(const char* kind, Arguments&&... arguments)
{
    auto slice = std::make_shared<Slice>(std::forward<Arguments>(arguments)...);
    slice->setIdentifier(kind);
    return slice;
}

inline bool is(const char* kind, const char* name)
{
    return std::strcmp(kind, name) == 0;
}

// The font style row: bold, italic, underline and strikethrough through the
// editor's character commands.
template <typename CharacterCommander>
std::shared_ptr<DKInspectorSlice> fontStyleSlice(const char* kind, CharacterCommander& characters)
{
    return named<ButtonRowSlice>(kind, localized("Font Style"),
                                 std::vector<ButtonRowSlice::Item>{
                                     {localized("Bold"), [&characters] { characters.boldExecCommand(); }},
                                     {localized("Italic"), [&characters] { characters.italicExecCommand(); }},
                                     {localized("Underline"), [&characters] { characters.underlineExecCommand(); }},
                                     {localized("Strikethrough"), [&characters] { characters.strikeExecCommand(); }},
                                 });
}

// The alignment row; the editor aligns by the alignment menu's row number
// (0 justify, 1 centre, 2 right, 3 left).
inline std::shared_ptr<DKInspectorSlice> alignmentSlice(const char* kind, const std::function<void(long row)>& align)
{
    std::vector<ButtonRowSlice::Item> items;
    for (auto [title, row] : {std::pair{"Left", 3L}, {"Center", 1L}, {"Right", 2L}, {"Justify", 0L}})
        // Captured by a name of its own: clang 14 captures no structured binding.
        items.push_back({localized(title), [align, row = row] { align(row); }});
    return named<ButtonRowSlice>(kind, localized("Alignment"), std::move(items));
}

// A page value in fixed notation, as the page reports it.
inline std::u16string fixed(double value)
{
    return toUtf16(formatInCLocale("%.2f", value));
}

// How far a margin stepper moves, in centimetres.
constexpr double kMarginStep = 0.25;

} // namespace folio::inspector_slices
