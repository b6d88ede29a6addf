#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

// A group of shapes ("{\shpgrp{\*\shpinst ...}}"), as Word keeps pictures it
// was asked to move together. The group stands where its own placement
// words say; each shape of it gives its box in the group's own coordinates
// ("relLeft", "relTop", "relRight", "relBottom" against "groupLeft" ... ,
// 0 to 20000 when the group names none). A picture of the group prints at
// its share of the group's box, as word processors place it.
class DKRTFShapeGroup {
public:
    // The group from its instructions (what follows "\shpinst"); nothing
    // when they give it no box.
    static std::optional<DKRTFShapeGroup> fromInstructions(std::u16string_view instructions);

    // The group that gives each of the shapes its placement words again:
    // the words they share, around the box that holds them all, in
    // coordinates of twips. Nothing when a shape's words give it no box.
    static std::optional<DKRTFShapeGroup> enclosing(const std::vector<std::string>& memberPlaces);
    // What follows "\shpinst" in the group's file form, up to its shapes.
    std::string instructions() const;
    // The box properties that give a shape of the group the place of
    // `memberPlace` (one of those it was made from).
    std::string memberProperties(std::string_view memberPlace) const;

    // The placement words of a shape of the group, from the shape's own
    // instructions: the group's words with the shape's box in place of the
    // group's. The group's words when the shape gives no box of its own.
    std::string placeOfMember(std::u16string_view instructions) const;

    // The number a shape property ("{\sp{\sn relLeft}{\sv 1200}}") of the
    // instructions' own gives, before any shape they hold.
    static std::optional<long long> property(std::u16string_view instructions, std::u16string_view name);

private:
    struct Box {
        long long left = 0;
        long long top = 0;
        long long right = 0;
        long long bottom = 0;
    };
    std::string wordsWithBox(const Box& box) const;
    static std::optional<Box> boxOfWords(std::string_view words);

    // The group's placement words ("\shpleft2880\shptop200...\shpwr2").
    std::string m_words;
    // Twips, as its words place it.
    Box m_place;
    // The coordinates its shapes give their boxes in.
    Box m_coordinates{0, 0, 20000, 20000};
};

} // namespace folio
