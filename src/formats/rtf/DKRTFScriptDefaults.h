#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace folio {

class DKRTFDataBuffer;

// What a document says, once for all its text, of the fonts and languages of
// its complex-script and East Asian letters: the default complex-script font
// and language ("\adeff", "\adeflang"), the default languages of other and of
// East Asian text ("\deflang", "\deflangfe"), and the fonts its style sheet
// gives East Asian, low-ANSI, high-ANSI and complex-script letters
// ("\stshfdbch", "\stshfloch", "\stshfhich", "\stshfbi"). Folio shows none
// of them; they are kept so that a save gives the file its defaults back.
//
// Fonts are kept by name, as the writer numbers its font table anew.
class DKRTFScriptDefaults {
public:
    enum class Word { ComplexFont, ComplexLanguage, Language, EastAsianLanguage,
                      SheetEastAsianFont, SheetLowAnsiFont, SheetHighAnsiFont, SheetComplexFont };

    struct WordName {
        Word word;
        std::string_view name;
        bool isFont;
    };
    // In the order word processors write them.
    static constexpr std::array<WordName, 8> kWords{{
        {Word::ComplexLanguage, "adeflang", false},
        {Word::ComplexFont, "adeff", true},
        {Word::SheetEastAsianFont, "stshfdbch", true},
        {Word::SheetLowAnsiFont, "stshfloch", true},
        {Word::SheetHighAnsiFont, "stshfhich", true},
        {Word::SheetComplexFont, "stshfbi", true},
        {Word::Language, "deflang", false},
        {Word::EastAsianLanguage, "deflangfe", false},
    }};

    // A name holding ";" (which RTF font names cannot hold) is no font.
    void setFont(Word word, std::string name);
    // A Windows language number; one past any there is (0, negative, or
    // 0x10000 and up) is no language.
    void setLanguage(Word word, int number);
    const std::optional<std::string>& font(Word word) const { return m_fonts[index(word)]; }
    std::optional<int> language(Word word) const { return m_languages[index(word)]; }
    bool isEmpty() const;

    // "adeff=Times New Roman;adeflang=1025;", the form the document keeps
    // them in while open; an entry that is not one of the words is passed over.
    std::string serialized() const;
    static DKRTFScriptDefaults fromSerialized(std::string_view text);

    // The header's words, with fonts numbered as the writer's font table
    // numbers them; a font it answers nothing for is left out.
    void write(DKRTFDataBuffer& buffer, const std::function<std::optional<int>(const std::string&)>& fontNumber) const;

    friend bool operator==(const DKRTFScriptDefaults&, const DKRTFScriptDefaults&) = default;

private:
    static std::size_t index(Word word) { return static_cast<std::size_t>(word); }

    std::array<std::optional<std::string>, kWords.size()> m_fonts;
    std::array<std::optional<int>, kWords.size()> m_languages;
};

} // namespace folio
