#include "markdown/MDLayoutInspectorSlices.h"

#include "documents/MarkdownPageMargins.h"
#include "documents/PageSizes.h"
#include "engine/css/ColorHTML.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/ColorArchive.h"
#include "platform/graphics/Font.h"
#include "tools/ToolsText.h"
#include "tools/inspectors/ControlSlices.h"
#include "tools/inspectors/DocumentContentsZoomInspectorSliceMD.h"
#include "tools/textstyle/TextStyleLists.h"

#include <algorithm>
#include <cstdio>

namespace folio {

namespace {

using Slices = std::vector<std::shared_ptr<DKInspectorSlice>>;
using Changed = std::function<void()>;

// The body size the storage uses when none is set.
constexpr double kDefaultFontSize = 16;

struct Limits {
    double step;
    double minimum;
    double maximum;
};

template <typename Slice, typename... Arguments>
std::shared_ptr<Slice> named(const char* identifier, Arguments&&... arguments)
{
    auto slice = std::make_shared<Slice>(std::forward<Arguments>(arguments)...);
    slice->setIdentifier(identifier);
    return slice;
}

std::u16string number(double value, const char* unit)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g%s", value, unit);
    return toUtf16(text);
}

std::vector<std::u16string> utf16(const std::vector<std::string>& names)
{
    std::vector<std::u16string> converted;
    converted.reserve(names.size());
    for (const std::string& name : names)
        converted.push_back(toUtf16(name));
    return converted;
}

std::shared_ptr<DKInspectorSlice> stepperSlice(const char* identifier, const char* title, UserDefaults& defaults,
                                               const char* key, double whenUnset, Limits limits, const char* unit,
                                               Changed changed)
{
    auto read = [&defaults, key, whenUnset] {
        std::optional<float> stored = defaults.floatForKey(key);
        return stored && *stored != 0 ? static_cast<double>(*stored) : whenUnset;
    };
    auto stepBy = [&defaults, key, read, limits, changed](double delta) {
        double value = std::clamp(read() + delta, limits.minimum, limits.maximum);
        defaults.setFloat(key, static_cast<float>(value));
        changed();
    };
    return named<StepperSlice>(identifier, localized(title),
                               StepperSlice::Value{[read, unit] { return number(read(), unit); },
                                                   [stepBy, limits] { stepBy(-limits.step); },
                                                   [stepBy, limits] { stepBy(limits.step); }});
}

// A page margin row shows the margin in use: the setting, or the editor's
// own border while there is none (0 is a margin like any other).
std::shared_ptr<DKInspectorSlice> marginSlice(const char* identifier, const char* title, UserDefaults& defaults,
                                              const char* side, Changed changed)
{
    const std::string key = std::string("markdownPageMargin") + side;
    auto read = [&defaults, side] {
        EdgeInsets margins = MarkdownPageMargins::read([&defaults](const std::string& name) {
            std::optional<float> stored = defaults.floatForKey(name);
            return stored ? std::optional<double>(*stored) : std::nullopt;
        });
        const std::string_view which = side;
        return which == "Top" ? margins.top : which == "Left" ? margins.left : which == "Bottom" ? margins.bottom : margins.right;
    };
    const Limits limits{0.25, 0, 5};
    auto stepBy = [&defaults, key, read, limits, changed](double delta) {
        defaults.setFloat(key, static_cast<float>(std::clamp(read() + delta, limits.minimum, limits.maximum)));
        changed();
    };
    auto shown = [read] {
        char text[32];
        std::snprintf(text, sizeof text, "%.2f", read());
        std::string value = text;
        // "1.50" reads "1.5" and "2.00" reads "2".
        value.erase(value.find_last_not_of('0') + 1);
        if (value.back() == '.')
            value.pop_back();
        return toUtf16(value + " cm");
    };
    return named<StepperSlice>(identifier, localized(title),
                               StepperSlice::Value{shown, [stepBy, limits] { stepBy(-limits.step); },
                                                   [stepBy, limits] { stepBy(limits.step); }});
}

std::optional<Color> storedColour(UserDefaults& defaults, const char* key)
{
    std::optional<PropertyList> stored = defaults.objectForKey(key);
    if (!stored || !stored->dataValue())
        return std::nullopt;
    return ColorArchive::colorFromData(stored->dataValue()->span());
}

// `unset` names the colour the editor shows when none is chosen.
std::shared_ptr<DKInspectorSlice> colourSlice(const char* title, UserDefaults& defaults, const char* key,
                                              const std::vector<std::string>& names, const char* unset, Changed changed)
{
    auto current = [&defaults, key, &names, unset] {
        std::optional<Color> colour = storedColour(defaults, key);
        if (!colour)
            colour = colorWithHTMLName(std::string_view(unset));
        for (const std::string& name : names) {
            if (colour && colorWithHTMLName(name) == colour)
                return toUtf16(name);
        }
        return std::u16string();
    };
    auto choose = [&defaults, key, &names, changed](std::size_t index) {
        std::optional<Color> colour = colorWithHTMLName(names[index]);
        Result<Data> archived = colour ? KeyedArchiver::archivedDataWithRootObject(ColorArchive(*colour))
                                       : Result<Data>(Error{"MDLayoutInspectorSlices", 1, "no colour named " + names[index]});
        if (!archived) {
            TELog(TELogLevelWarning, "The colour was not kept: " + archived.error().message);
            return;
        }
        defaults.setObject(key, PropertyList(std::move(*archived)));
        changed();
    };
    return named<ChoiceSlice>("DKTextColorAttributeInspectorSliceMD", localized(title),
                              ChoiceSlice::Choices{utf16(names), current, choose});
}

std::shared_ptr<DKInspectorSlice> fontSlice(UserDefaults& defaults, Changed changed)
{
    std::vector<std::string> families = Font::familyNames();
    auto current = [&defaults] {
        std::string name = defaults.stringForKey(MDLayoutInspectorSlices::kFontKey).value_or("Cousine");
        std::optional<Font> font = Font::fontWithName(name, kDefaultFontSize);
        return toUtf16(font ? font->familyName() : name);
    };
    auto choose = [&defaults, families, changed](std::size_t index) {
        // The regular face's own name is kept, which every font lookup finds.
        std::optional<Font> regular = Font::fontMatching(families[index], 0, kDefaultFontSize);
        defaults.setString(MDLayoutInspectorSlices::kFontKey, regular ? regular->postScriptName() : families[index]);
        changed();
    };
    return named<ChoiceSlice>("DKFontInspectorSliceMD", localized("Font"),
                              ChoiceSlice::Choices{utf16(families), current, choose});
}

std::shared_ptr<DKInspectorSlice> alignmentSlice(UserDefaults& defaults, Changed changed)
{
    // In the platform's numbering: 0 left, 1 centre, 2 right, 3 justified.
    static const std::vector<std::string> kAlignments{"Left", "Center", "Right", "Justified"};
    std::vector<std::u16string> titles;
    for (const std::string& alignment : kAlignments)
        titles.push_back(localized(alignment));
    auto current = [&defaults, titles] {
        std::int64_t stored = defaults.integerForKey(MDLayoutInspectorSlices::kAlignmentKey).value_or(0);
        return stored >= 0 && stored < static_cast<std::int64_t>(titles.size()) ? titles[static_cast<std::size_t>(stored)]
                                                                                 : titles.front();
    };
    auto choose = [&defaults, changed](std::size_t index) {
        defaults.setInteger(MDLayoutInspectorSlices::kAlignmentKey, static_cast<std::int64_t>(index));
        changed();
    };
    return named<ChoiceSlice>("DKParagraphStyleInspectorSliceMD", localized("Alignment"),
                              ChoiceSlice::Choices{titles, current, choose});
}

std::shared_ptr<DKInspectorSlice> pageSizeSlice(UserDefaults& defaults, Changed changed)
{
    const std::vector<std::string>& names = paperSizeNames();
    auto current = [&defaults] { return toUtf16(defaults.stringForKey(PageSizes::kDefaultPageSizeKey).value_or("Letter")); };
    auto choose = [&defaults, &names, changed](std::size_t index) {
        defaults.setString(PageSizes::kDefaultPageSizeKey, names[index]);
        changed();
    };
    return named<ChoiceSlice>("DKDocumentPageSizeInspectorSliceMD", localized("Page Size"),
                              ChoiceSlice::Choices{utf16(names), current, choose});
}

} // namespace

Slices MDLayoutInspectorSlices::make(UserDefaults& defaults, std::function<void()> settingsChanged)
{
    Changed changed = [settingsChanged = std::move(settingsChanged), &defaults] {
        defaults.synchronize();
        if (settingsChanged)
            settingsChanged();
    };
    return {
        named<DocumentContentsZoomInspectorSliceMD>("DocumentContentsZoomInspectorSliceMD"),
        fontSlice(defaults, changed),
        stepperSlice("DKFontInspectorSliceMD.size", "Size", defaults, kFontSizeKey, kDefaultFontSize, {1, 8, 72}, " pt",
                     changed),
        alignmentSlice(defaults, changed),
        colourSlice("Text Color", defaults, kFontColorKey, textColourNames(), "black", changed),
        colourSlice("Paper color", defaults, kBackgroundColorKey, paperColourNames(), "white", changed),
        stepperSlice("DKParagraphLineSpacingInspectorSliceMD", "Line Spacing", defaults, kLineSpacingKey, 0, {0.5, 0, 5},
                     "", changed),
        stepperSlice("DKParagraphFirstLineIndentInspectorSliceMD", "First Line Indent", defaults, kFirstLineIndentKey, 0,
                     {0.5, 0, 10}, "", changed),
        pageSizeSlice(defaults, changed),
        marginSlice("DKPageLeftMarginSliceMD", "Left Margin", defaults, "Left", changed),
        marginSlice("DKPageRightMarginSliceMD", "Right Margin", defaults, "Right", changed),
        marginSlice("DKPageTopMarginSliceMD", "Top Margin", defaults, "Top", changed),
        marginSlice("DKPageBottomMarginSliceMD", "Bottom Margin", defaults, "Bottom", changed),
    };
}

} // namespace folio
