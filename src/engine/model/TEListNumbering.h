#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace folio {

// How a word processor's list writes an item's number when the list's type
// alone does not say: East Asian counting, stems and branches, circled and
// kana numbers. `OfType` leaves the number to the list's type.
enum class TEListNumbering : unsigned {
    OfType = 0,
    Ordinal,             // 1st, 2nd, 3rd
    ChineseCounting,     // 一, 十, 十二, 一百零一
    IdeographicDigits,   // 一二 for 12, a digit at a time
    LegalTraditional,    // 壹, 拾, 壹拾貳
    LegalSimplified,     // 壹, 拾, 壹拾贰
    HeavenlyStems,       // 甲 to 癸
    EarthlyBranches,     // 子 to 亥
    Circled,             // ① to ㊿
    KatakanaAiueo,       // ア, イ, ウ
    KatakanaAiueoNarrow, // ｱ, ｲ, ｳ
    KatakanaIroha,       // イ, ロ, ハ
    KatakanaIrohaNarrow, // ｲ, ﾛ, ﾊ
    HangulSyllables,     // 가, 나, 다
    HangulJamo,          // ㄱ, ㄴ, ㄷ
    JapaneseLegalDigits, // 壱弐 for 12, a digit at a time
    KoreanDigits,        // 일이 for 12, a digit at a time
    KoreanCounting,      // 일, 십, 십이, 백일
    KoreanNative,        // 하나, 열, 열둘; from a hundred as KoreanCounting
    HebrewNumerals,      // א, י, יב: letters that add up
    HebrewLetters,       // א, י, כ: one letter an item
    ArabicAlphabetic,    // أ, ب, ت
    ArabicAbjad,         // ا, ب, ج
};

// Item `counter`'s number written as `numbering` says; none for `OfType`.
// Numbers the style cannot write (a stem past the tenth, a circled number
// past fifty, zero and below) are written in decimal digits, as word
// processors print them.
std::optional<std::u16string> listNumberText(TEListNumbering numbering, std::int64_t counter);

} // namespace folio
