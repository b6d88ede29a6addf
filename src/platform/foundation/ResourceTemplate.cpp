#include "platform/foundation/ResourceTemplate.h"

#include "platform/foundation/Data.h"
#include "platform/foundation/Resources.h"

#include <map>
#include <mutex>
#include <set>

namespace folio {

namespace {

constexpr std::string_view kOpen = "{{";
constexpr std::string_view kClose = "}}";

} // namespace

Result<ResourceTemplate> ResourceTemplate::named(std::string_view name, std::string_view subfolder)
{
    std::optional<std::string> path = Resources::pathForResource(name, {}, subfolder);
    if (!path)
        return Error{kErrorDomain, Missing,
                     "The resource " + std::string(subfolder) + "/" + std::string(name) + " is missing"};
    Result<Data> bytes = Data::dataWithContentsOfFile(*path);
    if (!bytes)
        return bytes.error();
    std::string_view text = bytes->stringView();
    // The line break an editor leaves at the end of a file is not part of
    // the template: element templates are filled in the middle of a line.
    if (text.ends_with('\n'))
        text.remove_suffix(text.ends_with("\r\n") ? 2 : 1);
    return ResourceTemplate(std::string(text), std::string(name));
}

const Result<ResourceTemplate>& ResourceTemplate::shared(std::string_view name, std::string_view subfolder)
{
    static std::mutex lock;
    // Entries are never removed, so the references handed out stay valid.
    static std::map<std::string, Result<ResourceTemplate>> loaded;
    std::lock_guard<std::mutex> guard(lock);
    std::string key = std::string(subfolder) + "/" + std::string(name);
    auto found = loaded.find(key);
    if (found == loaded.end())
        found = loaded.emplace(key, named(name, subfolder)).first;
    return found->second;
}

Result<std::string> ResourceTemplate::filled(const std::map<std::string, std::string>& values) const
{
    std::map<std::string, std::string_view> views;
    for (const auto& [name, value] : values)
        views.emplace(name, value);
    return filledInPlace(views);
}

Result<std::string> ResourceTemplate::filledInPlace(const std::map<std::string, std::string_view>& values) const
{
    // A page's document can be megabytes; grow the result once.
    std::size_t size = m_text.size();
    for (const auto& [name, value] : values)
        size += value.size();
    std::string result;
    result.reserve(size);
    std::set<std::string> used;
    std::size_t at = 0;
    while (true) {
        std::size_t open = m_text.find(kOpen, at);
        if (open == std::string::npos)
            break;
        std::size_t close = m_text.find(kClose, open + kOpen.size());
        if (close == std::string::npos)
            break;
        std::string placeholder = m_text.substr(open + kOpen.size(), close - open - kOpen.size());
        auto value = values.find(placeholder);
        if (value == values.end())
            return Error{kErrorDomain, Unfilled, m_name + " has no value for {{" + placeholder + "}}"};
        result.append(m_text, at, open - at);
        result += value->second;
        used.insert(placeholder);
        at = close + kClose.size();
    }
    result.append(m_text, at, std::string::npos);
    for (const auto& [name, ignored] : values) {
        if (!used.count(name))
            return Error{kErrorDomain, Unfilled, m_name + " has no place for {{" + name + "}}"};
    }
    return result;
}

} // namespace folio
