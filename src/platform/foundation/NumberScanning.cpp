#include "platform/foundation/NumberScanning.h"
#include "platform/foundation/StringUtilities.h"

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string>

namespace folio {

namespace {

bool isDigit(char16_t unit) { return unit >= u'0' && unit <= u'9'; }

} // namespace

locale_t cLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

std::size_t scanDecimalInteger(std::u16string_view text, std::size_t at, long long* value, long long minimum,
                               long long maximum)
{
    std::size_t i = at;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    std::size_t digitsStart = i;
    unsigned long long magnitude = 0;
    bool overflow = false;
    constexpr unsigned long long kMaximumMagnitude = static_cast<unsigned long long>(std::numeric_limits<long long>::max()) + 1;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        unsigned digit = text[i] - u'0';
        if (overflow || magnitude > (kMaximumMagnitude - digit) / 10) {
            overflow = true;
            continue;
        }
        magnitude = magnitude * 10 + digit;
    }
    if (i == digitsStart)
        return at;

    long long result;
    if (negative) {
        if (overflow || magnitude >= kMaximumMagnitude)
            result = std::numeric_limits<long long>::min();
        else
            result = -static_cast<long long>(magnitude);
    } else {
        result = (overflow || magnitude >= kMaximumMagnitude) ? std::numeric_limits<long long>::max()
                                                              : static_cast<long long>(magnitude);
    }
    if (result < minimum)
        result = minimum;
    if (result > maximum)
        result = maximum;
    if (value)
        *value = result;
    return i;
}

std::size_t scanHexadecimalInteger(std::u16string_view text, std::size_t at, unsigned long long* value,
                                   unsigned long long maximum)
{
    std::size_t i = at;
    if (i + 2 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')
        && hexDigitValue(text[i + 2]) >= 0)
        i += 2;
    std::size_t digitsStart = i;
    unsigned long long result = 0;
    bool overflow = false;
    for (; i < text.size(); ++i) {
        int digit = hexDigitValue(text[i]);
        if (digit < 0)
            break;
        if (overflow || static_cast<unsigned>(digit) > maximum || result > (maximum - static_cast<unsigned>(digit)) / 16) {
            overflow = true;
            continue;
        }
        result = result * 16 + static_cast<unsigned>(digit);
    }
    if (i == digitsStart)
        return at;
    if (value)
        *value = overflow ? maximum : result;
    return i;
}

std::size_t scanFloatingPoint(std::u16string_view text, std::size_t at, double* value)
{
    std::size_t i = at;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    std::size_t digits = 0;
    for (; i < text.size() && isDigit(text[i]); ++i)
        ++digits;
    if (i < text.size() && text[i] == u'.') {
        std::size_t afterPoint = i + 1;
        std::size_t fraction = 0;
        while (afterPoint + fraction < text.size() && isDigit(text[afterPoint + fraction]))
            ++fraction;
        if (digits + fraction > 0) {
            digits += fraction;
            i = afterPoint + fraction;
        }
    }
    if (digits == 0)
        return at;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        std::size_t exponent = i + 1;
        if (exponent < text.size() && (text[exponent] == u'+' || text[exponent] == u'-'))
            ++exponent;
        if (exponent < text.size() && isDigit(text[exponent])) {
            while (exponent < text.size() && isDigit(text[exponent]))
                ++exponent;
            i = exponent;
        }
    }

    // Every unit in [at, i) is ASCII by construction.
    std::string ascii(text.begin() + static_cast<std::ptrdiff_t>(at), text.begin() + static_cast<std::ptrdiff_t>(i));
    double result = strtod_l(ascii.c_str(), nullptr, cLocale());
    if (value)
        *value = result;
    return i;
}

float narrowToFloat(double value)
{
    if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<float>::max())
        return std::signbit(value) ? -std::numeric_limits<float>::infinity() : std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

} // namespace folio
