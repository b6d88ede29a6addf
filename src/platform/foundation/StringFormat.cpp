#include "platform/foundation/StringFormat.h"

#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

#include <vector>

namespace folio {

std::u16string formatString(std::u16string_view format, std::initializer_list<FormatArgument> arguments)
{
    std::vector<FormatArgument> values(arguments);
    std::size_t next = 0;
    std::u16string result;
    std::size_t index = 0;
    while (index < format.size()) {
        char16_t unit = format[index];
        if (unit != u'%' || index + 1 >= format.size()) {
            result += unit;
            ++index;
            continue;
        }
        std::size_t start = index++;
        if (format[index] == u'%') {
            result += u'%';
            ++index;
            continue;
        }
        int precision = 6;
        if (format[index] == u'.') {
            std::size_t digits = index + 1;
            int parsed = 0;
            while (digits < format.size() && format[digits] >= u'0' && format[digits] <= u'9')
                parsed = parsed * 10 + (format[digits++] - u'0');
            precision = std::min(parsed, 20);
            index = digits;
        }
        while (index < format.size() && format[index] == u'l')
            ++index;
        if (index >= format.size()) {
            result += format.substr(start);
            break;
        }
        char16_t conversion = format[index++];
        const FormatArgument* argument = next < values.size() ? &values[next] : nullptr;
        bool written = false;
        if (argument && conversion == u'@' && std::holds_alternative<std::u16string>(*argument)) {
            result += std::get<std::u16string>(*argument);
            written = true;
        } else if (argument && (conversion == u'd' || conversion == u'u' || conversion == u'i') &&
                   std::holds_alternative<std::int64_t>(*argument)) {
            result += toUtf16(std::to_string(std::get<std::int64_t>(*argument)));
            written = true;
        } else if (argument && conversion == u'f' && std::holds_alternative<double>(*argument)) {
            result += toUtf16(formatFixed(std::get<double>(*argument), precision));
            written = true;
        }
        if (written)
            ++next;
        else
            result += format.substr(start, index - start);
    }
    return result;
}

} // namespace folio
