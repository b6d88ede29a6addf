#include "webeditor/PageMessage.h"

#include "platform/foundation/URL.h"

namespace folio {

namespace {

bool isTokenCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

} // namespace

std::optional<PageMessage> PageMessage::parse(std::string_view message)
{
    if (!message.starts_with(kScheme))
        return std::nullopt;
    std::string_view rest = message.substr(kScheme.size());
    size_t hash = rest.find('#');
    std::string_view token = rest.substr(0, hash);
    if (token.empty())
        return std::nullopt;
    for (char c : token) {
        if (!isTokenCharacter(c))
            return std::nullopt;
    }
    PageMessage parsed;
    parsed.token = std::string(token);
    if (hash != std::string_view::npos) {
        std::optional<std::string> data = URL::percentDecode(rest.substr(hash + 1));
        if (!data)
            return std::nullopt;
        parsed.data = std::move(*data);
        parsed.hasData = true;
    }
    return parsed;
}

std::vector<std::string> PageMessage::fields(char separator) const
{
    std::vector<std::string> pieces;
    size_t start = 0;
    while (true) {
        size_t end = data.find(separator, start);
        pieces.push_back(data.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return pieces;
        start = end + 1;
    }
}

bool PageMessage::isValidElementId(std::string_view id)
{
    if (id.empty() || id.size() > 128)
        return false;
    for (char c : id) {
        if (!isTokenCharacter(c) && c != '_' && c != '-')
            return false;
    }
    return true;
}

} // namespace folio
