#include "platform/foundation/RegularExpression.h"


#include <unicode/regex.h>
#include <unicode/unistr.h>

#include <algorithm>

namespace folio {

class RegularExpression::Compiled {
public:
    explicit Compiled(std::unique_ptr<icu::RegexPattern> pattern) : m_pattern(std::move(pattern)) {}
    const icu::RegexPattern& pattern() const { return *m_pattern; }

private:
    std::unique_ptr<icu::RegexPattern> m_pattern;
};

namespace {

uint32_t icuFlags(unsigned options)
{
    uint32_t flags = 0;
    if (options & RegularExpressionCaseInsensitive)
        flags |= UREGEX_CASE_INSENSITIVE;
    if (options & RegularExpressionAllowCommentsAndWhitespace)
        flags |= UREGEX_COMMENTS;
    if (options & RegularExpressionIgnoreMetacharacters)
        flags |= UREGEX_LITERAL;
    if (options & RegularExpressionDotMatchesLineSeparators)
        flags |= UREGEX_DOTALL;
    if (options & RegularExpressionAnchorsMatchLines)
        flags |= UREGEX_MULTILINE;
    if (options & RegularExpressionUseUnixLineSeparators)
        flags |= UREGEX_UNIX_LINES;
    if (options & RegularExpressionUseUnicodeWordBoundaries)
        flags |= UREGEX_UWORD;
    return flags;
}

} // namespace

RegularExpression::RegularExpression(std::u16string pattern, unsigned options, std::shared_ptr<const Compiled> compiled)
    : m_pattern(std::move(pattern)), m_options(options), m_compiled(std::move(compiled))
{
}

Result<RegularExpression> RegularExpression::make(std::u16string_view pattern, unsigned options)
{
    if (pattern.size() > static_cast<std::size_t>(INT32_MAX))
        return Error{kErrorDomain, U_REGEX_PATTERN_TOO_BIG, "The pattern is too long"};
    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError{};
    icu::UnicodeString source(false, pattern.data(), static_cast<int32_t>(pattern.size()));
    std::unique_ptr<icu::RegexPattern> compiled(icu::RegexPattern::compile(source, icuFlags(options), parseError, status));
    if (U_FAILURE(status) || !compiled) {
        return Error{kErrorDomain, static_cast<int>(status),
                     std::string("The pattern could not be compiled (") + u_errorName(status) + ") at offset " +
                         std::to_string(parseError.offset)};
    }
    return RegularExpression(std::u16string(pattern), options, std::make_shared<Compiled>(std::move(compiled)));
}

std::u16string RegularExpression::escapedPatternForString(std::u16string_view text)
{
    static constexpr std::u16string_view kSpecial = u"\\^$.|?*+()[]{}";
    std::u16string escaped;
    escaped.reserve(text.size());
    for (char16_t unit : text) {
        if (kSpecial.find(unit) != std::u16string_view::npos)
            escaped += u'\\';
        escaped += unit;
    }
    return escaped;
}

void RegularExpression::enumerateMatches(std::u16string_view text, Range range, const MatchBlock& block) const
{
    if (range.location > text.size())
        return;
    std::size_t end = std::min(text.size(), range.location + std::min(range.length, text.size() - range.location));
    // ICU counts in 32-bit offsets; a text past that is searched nowhere
    // rather than wrongly.
    if (end - range.location > static_cast<std::size_t>(INT32_MAX))
        return;
    // Only the searched part is handed to ICU, as a read-only alias: with
    // opaque, anchoring bounds the part outside cannot change any result.
    std::u16string_view part = text.substr(range.location, end - range.location);
    icu::UnicodeString input(false, part.data(), static_cast<int32_t>(part.size()));
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexMatcher> matcher(m_compiled->pattern().matcher(input, status));
    if (U_FAILURE(status) || !matcher)
        return;
    const int32_t groups = matcher->groupCount();
    RegularExpressionMatch match(static_cast<std::size_t>(groups) + 1);
    bool stop = false;
    while (!stop && matcher->find(status) && U_SUCCESS(status)) {
        for (int32_t group = 0; group <= groups; ++group) {
            int32_t start = matcher->start(group, status);
            int32_t finish = matcher->end(group, status);
            match[static_cast<std::size_t>(group)] =
                start < 0 ? NotFoundRange
                          : Range{range.location + static_cast<std::size_t>(start), static_cast<std::size_t>(finish - start)};
        }
        block(match, stop);
    }
}

std::vector<RegularExpressionMatch> RegularExpression::matchesInString(std::u16string_view text, Range range) const
{
    std::vector<RegularExpressionMatch> matches;
    enumerateMatches(text, range, [&matches](const RegularExpressionMatch& match, bool&) { matches.push_back(match); });
    return matches;
}

RegularExpressionMatch RegularExpression::firstMatchInString(std::u16string_view text, Range range) const
{
    RegularExpressionMatch first;
    enumerateMatches(text, range, [&first](const RegularExpressionMatch& match, bool& stop) {
        first = match;
        stop = true;
    });
    return first;
}

std::size_t RegularExpression::numberOfMatches(std::u16string_view text) const
{
    std::size_t count = 0;
    enumerateMatches(text, Range{0, text.size()}, [&count](const RegularExpressionMatch&, bool&) { ++count; });
    return count;
}

std::u16string RegularExpression::stringByReplacingMatches(std::u16string_view text, std::u16string_view replacementTemplate) const
{
    if (text.size() > static_cast<std::size_t>(INT32_MAX) || replacementTemplate.size() > static_cast<std::size_t>(INT32_MAX))
        return std::u16string(text);
    icu::UnicodeString input(false, text.data(), static_cast<int32_t>(text.size()));
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::RegexMatcher> matcher(m_compiled->pattern().matcher(input, status));
    if (U_FAILURE(status) || !matcher)
        return std::u16string(text);
    icu::UnicodeString replacement(false, replacementTemplate.data(), static_cast<int32_t>(replacementTemplate.size()));
    icu::UnicodeString result = matcher->replaceAll(replacement, status);
    if (U_FAILURE(status))
        return std::u16string(text);
    return std::u16string(result.getBuffer(), static_cast<std::size_t>(result.length()));
}

} // namespace folio
