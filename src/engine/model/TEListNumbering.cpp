#include "engine/model/TEListNumbering.h"

#include <array>
#include <string_view>

namespace folio {

namespace {

std::u16string decimal(std::int64_t counter)
{
    std::u16string text;
    for (char c : std::to_string(counter))
        text.push_back(static_cast<char16_t>(c));
    return text;
}

// The counter in a sequence of symbols: one symbol for each of the first
// items, then two, as letters count past "z" ("aa", "ab").
std::u16string alphabetic(std::u16string_view symbols, std::int64_t counter)
{
    const auto size = static_cast<std::int64_t>(symbols.size());
    std::u16string text;
    for (std::int64_t value = counter; value > 0; value = (value - 1) / size)
        text.insert(text.begin(), symbols[static_cast<std::size_t>((value - 1) % size)]);
    return text;
}

// Numbers below ten thousand in words: the digit before its power of ten,
// "一" dropped before a leading "十" in everyday counting, and one zero where
// a run of zeros falls inside the number.
std::u16string counted(std::int64_t counter, std::u16string_view digits, std::u16string_view powers, bool everyday)
{
    if (counter >= 10000)
        return decimal(counter);
    std::u16string text;
    bool zeroPending = false;
    const std::int64_t scales[] = {1000, 100, 10, 1};
    for (int place = 0; place < 4; ++place) {
        const std::int64_t digit = counter / scales[place] % 10;
        if (digit == 0) {
            zeroPending = !text.empty();
            continue;
        }
        if (zeroPending)
            text.push_back(digits[0]);
        zeroPending = false;
        const bool tenAlone = everyday && place == 2 && digit == 1 && text.empty();
        if (!tenAlone)
            text.push_back(digits[static_cast<std::size_t>(digit)]);
        if (place < 3)
            text.push_back(powers[static_cast<std::size_t>(place)]);
    }
    return text;
}

// The counter a decimal digit at a time, each written as `digits` writes it.
std::u16string digitByDigit(std::u16string_view digits, std::int64_t counter)
{
    std::u16string text;
    for (char16_t digit : decimal(counter))
        text.push_back(digits[static_cast<std::size_t>(digit - u'0')]);
    return text;
}

// Sino-Korean numbers below ten thousand: the digit before its power of
// ten, none before a power it would only multiply by one, and no word for
// a zero.
std::u16string sinoKorean(std::int64_t counter)
{
    if (counter >= 10000)
        return decimal(counter);
    constexpr std::u16string_view digits = u"영일이삼사오육칠팔구";
    constexpr std::u16string_view powers = u"천백십";
    std::u16string text;
    const std::int64_t scales[] = {1000, 100, 10, 1};
    for (int place = 0; place < 4; ++place) {
        const std::int64_t digit = counter / scales[place] % 10;
        if (digit == 0)
            continue;
        if (digit != 1 || place == 3)
            text.push_back(digits[static_cast<std::size_t>(digit)]);
        if (place < 3)
            text.push_back(powers[static_cast<std::size_t>(place)]);
    }
    return text;
}

// Native Korean numbers to ninety-nine; larger ones in Sino-Korean.
std::u16string nativeKorean(std::int64_t counter)
{
    if (counter >= 100)
        return sinoKorean(counter);
    static constexpr std::u16string_view tens[] = {u"", u"열", u"스물", u"서른", u"마흔", u"쉰", u"예순", u"일흔", u"여든", u"아흔"};
    static constexpr std::u16string_view ones[] = {u"", u"하나", u"둘", u"셋", u"넷", u"다섯", u"여섯", u"일곱", u"여덟", u"아홉"};
    return std::u16string(tens[counter / 10]) + std::u16string(ones[counter % 10]);
}

// Hebrew numerals below a thousand: hundreds, tens and ones as the letters
// worth them, fifteen and sixteen as nine and six or seven, as the tens and
// ones that would spell a name of God are not written.
std::u16string hebrewNumeral(std::int64_t counter)
{
    if (counter >= 1000)
        return decimal(counter);
    constexpr std::u16string_view ones = u"אבגדהוזחט";
    constexpr std::u16string_view tens = u"יכלמנסעפצ";
    constexpr std::u16string_view hundreds = u"קרשת";
    std::u16string text;
    std::int64_t rest = counter;
    for (; rest >= 400; rest -= 400)
        text.push_back(hundreds[3]);
    if (rest >= 100) {
        text.push_back(hundreds[static_cast<std::size_t>(rest / 100 - 1)]);
        rest %= 100;
    }
    if (rest == 15 || rest == 16)
        return text + u"ט" + (rest == 15 ? u"ו" : u"ז");
    if (rest >= 10)
        text.push_back(tens[static_cast<std::size_t>(rest / 10 - 1)]);
    if (rest % 10 != 0)
        text.push_back(ones[static_cast<std::size_t>(rest % 10 - 1)]);
    return text;
}

std::u16string ordinal(std::int64_t counter)
{
    const std::int64_t tens = counter % 100;
    std::u16string suffix = u"th";
    if (tens < 11 || tens > 13) {
        switch (counter % 10) {
        case 1: suffix = u"st"; break;
        case 2: suffix = u"nd"; break;
        case 3: suffix = u"rd"; break;
        default: break;
        }
    }
    return decimal(counter) + suffix;
}

std::u16string circled(std::int64_t counter)
{
    if (counter <= 20)
        return std::u16string(1, static_cast<char16_t>(0x2460 + counter - 1));
    if (counter <= 35)
        return std::u16string(1, static_cast<char16_t>(0x3251 + counter - 21));
    if (counter <= 50)
        return std::u16string(1, static_cast<char16_t>(0x32B1 + counter - 36));
    return decimal(counter);
}

constexpr std::u16string_view kChineseDigits = u"〇一二三四五六七八九";
constexpr std::u16string_view kStems = u"甲乙丙丁戊己庚辛壬癸";
constexpr std::u16string_view kBranches = u"子丑寅卯辰巳午未申酉戌亥";
constexpr std::u16string_view kAiueo =
    u"アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲン";
constexpr std::u16string_view kAiueoNarrow =
    u"ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜｦﾝ";
constexpr std::u16string_view kIroha =
    u"イロハニホヘトチリヌルヲワカヨタレソツネナラムウヰノオクヤマケフコエテアサキユメミシヱヒモセス";
constexpr std::u16string_view kIrohaNarrow =
    u"ｲﾛﾊﾆﾎﾍﾄﾁﾘﾇﾙｦﾜｶﾖﾀﾚｿﾂﾈﾅﾗﾑｳヰﾉｵｸﾔﾏｹﾌｺｴﾃｱｻｷﾕﾒﾐｼヱﾋﾓｾｽ";
constexpr std::u16string_view kHangulSyllables = u"가나다라마바사아자차카타파하";
constexpr std::u16string_view kHangulJamo = u"ㄱㄴㄷㄹㅁㅂㅅㅇㅈㅊㅋㅌㅍㅎ";
constexpr std::u16string_view kHebrewLetters = u"אבגדהוזחטיכלמנסעפצקרשת";
constexpr std::u16string_view kArabicAlphabet = u"أبتثجحخدذرزسشصضطظعغفقكلمنهوي";
constexpr std::u16string_view kArabicAbjad = u"ابجدهوزحطيكلمنسعفصقرشتثخذضظغ";

} // namespace

std::optional<std::u16string> listNumberText(TEListNumbering numbering, std::int64_t counter)
{
    if (numbering == TEListNumbering::OfType)
        return std::nullopt;
    if (counter <= 0)
        return decimal(counter);
    switch (numbering) {
    case TEListNumbering::OfType:
        break;
    case TEListNumbering::Ordinal:
        return ordinal(counter);
    case TEListNumbering::ChineseCounting:
        return counted(counter, u"零一二三四五六七八九", u"千百十", true);
    case TEListNumbering::IdeographicDigits:
        return digitByDigit(kChineseDigits, counter);
    case TEListNumbering::JapaneseLegalDigits:
        return digitByDigit(u"零壱弐参四伍六七八九", counter);
    case TEListNumbering::KoreanDigits:
        return digitByDigit(u"영일이삼사오육칠팔구", counter);
    case TEListNumbering::KoreanCounting:
        return sinoKorean(counter);
    case TEListNumbering::KoreanNative:
        return nativeKorean(counter);
    case TEListNumbering::HebrewNumerals:
        return hebrewNumeral(counter);
    case TEListNumbering::HebrewLetters:
        return alphabetic(kHebrewLetters, counter);
    case TEListNumbering::ArabicAlphabetic:
        return alphabetic(kArabicAlphabet, counter);
    case TEListNumbering::ArabicAbjad:
        return alphabetic(kArabicAbjad, counter);
    case TEListNumbering::LegalTraditional:
        return counted(counter, u"零壹貳參肆伍陸柒捌玖", u"仟佰拾", false);
    case TEListNumbering::LegalSimplified:
        return counted(counter, u"零壹贰叁肆伍陆柒捌玖", u"仟佰拾", false);
    case TEListNumbering::HeavenlyStems:
        return counter <= 10 ? std::u16string(1, kStems[static_cast<std::size_t>(counter - 1)]) : decimal(counter);
    case TEListNumbering::EarthlyBranches:
        return counter <= 12 ? std::u16string(1, kBranches[static_cast<std::size_t>(counter - 1)]) : decimal(counter);
    case TEListNumbering::Circled:
        return circled(counter);
    case TEListNumbering::KatakanaAiueo:
        return alphabetic(kAiueo, counter);
    case TEListNumbering::KatakanaAiueoNarrow:
        return alphabetic(kAiueoNarrow, counter);
    case TEListNumbering::KatakanaIroha:
        return alphabetic(kIroha, counter);
    case TEListNumbering::KatakanaIrohaNarrow:
        return alphabetic(kIrohaNarrow, counter);
    case TEListNumbering::HangulSyllables:
        return alphabetic(kHangulSyllables, counter);
    case TEListNumbering::HangulJamo:
        return alphabetic(kHangulJamo, counter);
    }
    return decimal(counter);
}

} // namespace folio
