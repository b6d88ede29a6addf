#pragma once

#include "engine/css/CSSStyleDictionary.h"
#include "engine/model/TEListNumbering.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/text/AttributeValue.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

class KeyedUnarchiver;

// The numbers are part of the attributed-text model: the RTF codec and stored
// documents exchange them.
enum class TECSSListStyleType : unsigned {
    Inherit = 0,
    None = 1,
    Circle = 2,
    Decimal = 3,
    DecimalLeadingZero = 4,
    Disc = 5,
    Square = 6,
    UpperAlpha = 7,
    UpperLatin = 8,
    LowerAlpha = 9,
    LowerLatin = 10,
    Plus = 11,
    UpperRoman = 12,
    LowerRoman = 13,
    Diamond = 14,
    Check = 15,
    Hyphen = 16,
    Underscore = 17,
};

// Numbered as RTF's "\\leveljc" numbers them.
enum class TEListMarkerAlignment : unsigned {
    Left = 0,
    Center = 1,
    Right = 2,
};

// What stands between a list label and the item's text, numbered as RTF's
// "\\levelfollow" numbers them: the next stop, one blank, or nothing.
enum class TEListLabelFollow : unsigned {
    Tab = 0,
    Space = 1,
    Nothing = 2,
};

enum class TECSSListStylePosition : unsigned {
    Inherit = 0,
    Inside = 1,
    Outside = 2,
};

// The list a paragraph belongs to: the marker kind and where it stands, an optional
// marker image and the first item number. Paragraph styles carry these outermost list
// first, and code that follows a list across paragraphs compares the objects by
// identity, so a style is shared once it is placed in text and not changed after.
class TECSSListStyle final : public AttributeValue, public KeyedArchivable {
public:
    // Every field zero or empty.
    TECSSListStyle() = default;
    // Type "inherit", outside markers and numbering from 1, then the dictionary's list
    // properties.
    explicit TECSSListStyle(const CSSStyleDictionary& styles);

    // None for an absent text; the type of a CSS keyword (any case), "none" for any
    // text that is not one.
    static std::optional<TECSSListStyleType> listStyleTypeFromString(std::optional<std::u16string_view> string);
    // None for an absent text; "inside" and "outside" (any case), anything else "inherit".
    static std::optional<TECSSListStylePosition> listStylePositionFromString(std::optional<std::u16string_view> string);

    // Set the field unless the text is absent; answer whether they set it.
    bool setTypeWithString(std::optional<std::u16string_view> string);
    bool setPositionWithString(std::optional<std::u16string_view> string);

    // Takes "list-style", or else its longhands, from a style dictionary.
    void updateFromStyleDictionary(const CSSStyleDictionary& styles);

    // The marker before item `counter` with its tabs: "\t\t" and the marker inside,
    // "\t", the marker and "\t" otherwise; none for lists without markers.
    std::optional<std::u16string> prefixWithCounter(std::int64_t counter) const;

    // Upper-case roman numeral; empty for zero and negative numbers. Roman numerals stop
    // at 3999 (CSS Counter Styles), so larger numbers are written in decimal digits
    // rather than as thousands of "M".
    static std::u16string romanNumeral(std::int64_t number);

    // True for the numbered types (decimal and the letters); roman lists count as
    // unordered, which is how documents have always been written.
    bool isOrdered() const;

    // The RTF level text of a list type (backslash-escaped braces included) and its
    // RTF numbering format (\levelnfc): both keyed by type, not by level.
    static std::string_view listStyleRTFString(TECSSListStyleType type);
    static int RTFNumberTypeForLevel(TECSSListStyleType type);

    // Archived under "inherit", "type", "position", "imageName" and
    // "startingItemNumber".
    static std::optional<TECSSListStyle> initWithCoder(const KeyedUnarchiver& coder);
    std::string archiveClassName() const override { return "TECSSListStyle"; }
    void encodeWithCoder(KeyedArchiver& coder) const override;

    bool isEqualToListStyle(const TECSSListStyle& other) const;
    std::string description() const;
    std::shared_ptr<TECSSListStyle> copy() const { return std::make_shared<TECSSListStyle>(*this); }

    bool inherit() const { return m_inherit; }
    void setInherit(bool inherit) { m_inherit = inherit; }
    TECSSListStyleType type() const { return m_type; }
    void setType(TECSSListStyleType type) { m_type = type; }
    TECSSListStylePosition position() const { return m_position; }
    void setPosition(TECSSListStylePosition position) { m_position = position; }
    const std::optional<std::u16string>& imageName() const { return m_imageName; }
    void setImageName(std::optional<std::u16string> imageName) { m_imageName = std::move(imageName); }
    // Words a word processor writes around an item's number ("CH " before
    // "I", ")" after "1"): the marker is then the number of the list's type
    // between them, not the browser's own; `numbering` may write the number
    // in a style the type cannot name (Chinese counting, circled numbers).
    struct MarkerText {
        std::u16string before;
        std::u16string after;
        TEListNumbering numbering = TEListNumbering::OfType;
        // The word processor's own number of the numbering style ("\\levelnfc"),
        // -1 for none: several of its styles are drawn alike here and are
        // written back as they came.
        int numberFormat = -1;
        // Where the number stands in the room before the item's text.
        TEListMarkerAlignment alignment = TEListMarkerAlignment::Left;
        // The numbers of outer levels between `before` and the item's own
        // ("Sect 1.01": level 0's number and "." after it), each in decimal
        // digits, as legal numbering and "1.1" headings print them.
        struct OuterNumber {
            int level = 0;
            std::u16string after;
            friend bool operator==(const OuterNumber&, const OuterNumber&) = default;
        };
        std::vector<OuterNumber> outer;
        // The words are the whole marker, a sign of the file's own and no
        // number (Word's "o" bullet), set in `font` when it names one.
        bool bullet = false;
        std::u16string font;
        // A label followed by a blank or by nothing is not set in the room
        // before the item's text: the text follows it on the line.
        TEListLabelFollow follow = TEListLabelFollow::Tab;
        friend bool operator==(const MarkerText&, const MarkerText&) = default;
    };
    const std::optional<MarkerText>& markerText() const { return m_markerText; }
    void setMarkerText(std::optional<MarkerText> text) { m_markerText = std::move(text); }
    // Item `counter`'s marker with the words around its number; none
    // without such words. `outerNumber` gives the current number of an
    // outer level the words show (1 when not given).
    std::optional<std::u16string> markerWithText(std::int64_t counter,
                                                 const std::function<std::int64_t(int level)>& outerNumber = {}) const;
    // The size, in half points, a word processor sets the items' markers in
    // where it is not the text's ("\\fs22" in a legacy item's number); none
    // where they take the text's.
    std::optional<int> markerHalfPoints() const { return m_markerHalfPoints; }
    void setMarkerHalfPoints(std::optional<int> halfPoints) { m_markerHalfPoints = halfPoints; }
    // A size a marker can be set in.
    static bool isUsableMarkerHalfPoints(long long halfPoints) { return halfPoints >= 2 && halfPoints <= 3276; }
    std::int64_t startingItemNumber() const { return m_startingItemNumber; }
    void setStartingItemNumber(std::int64_t number) { m_startingItemNumber = number; }
    // The number `offset` items after `start`. A document may start a list
    // anywhere ("start" is the page's to choose), so the count stops at the
    // ends of the range instead of overflowing.
    static std::int64_t itemNumber(std::int64_t start, std::int64_t offset);

    bool isEqual(const AttributeValue& other) const override;
    std::size_t hash() const override;
    std::string_view typeName() const override { return "listStyle"; }

private:
    bool m_inherit = false;
    TECSSListStyleType m_type = TECSSListStyleType::Inherit;
    TECSSListStylePosition m_position = TECSSListStylePosition::Inherit;
    std::optional<std::u16string> m_imageName;
    std::int64_t m_startingItemNumber = 0;
    std::optional<MarkerText> m_markerText;
    std::optional<int> m_markerHalfPoints;
};

} // namespace folio
