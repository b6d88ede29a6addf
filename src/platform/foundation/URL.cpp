#include "platform/foundation/URL.h"
#include "platform/foundation/StringUtilities.h"

#include <glib.h>

#include <array>
#include <filesystem>

namespace folio {

struct URL::Parts {
    std::string scheme, userinfo, host, path;
    std::optional<std::string> query, fragment;
    int port = -1;
    bool hasAuthority = false;
};

namespace {

constexpr std::string_view kAlphanumeric = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

std::string allowedSet(URL::AllowedCharacters allowed)
{
    std::string set(kAlphanumeric);
    switch (allowed) {
    case URL::AllowedCharacters::Path:
        return set + "!$&'()*+,-./:=@_~";
    case URL::AllowedCharacters::Query:
    case URL::AllowedCharacters::Fragment:
        return set + "!$&'()*+,-./:;=?@_~";
    case URL::AllowedCharacters::Host:
        return set + "!$&'()*+,-.:;=[]_~";
    case URL::AllowedCharacters::User:
    case URL::AllowedCharacters::Password:
        return set + "!$&'()*+,-.;=_~";
    }
    return set;
}

using Parts = URL::Parts;

std::string takeString(char* text)
{
    std::string result = text ? text : "";
    g_free(text);
    return result;
}

std::optional<std::string> takeOptional(char* text)
{
    if (!text)
        return std::nullopt;
    return takeString(text);
}

// GLib checks escapes and ports and encodes stray characters (spaces,
// non-ASCII) instead of refusing them, as browsers do with typed addresses.
std::optional<Parts> split(std::string_view text)
{
    std::string copy(text);
    char *scheme = nullptr, *userinfo = nullptr, *host = nullptr, *path = nullptr, *query = nullptr, *fragment = nullptr;
    int port = -1;
    if (!g_uri_split(copy.c_str(), G_URI_FLAGS_ENCODED, &scheme, &userinfo, &host, &port, &path, &query, &fragment, nullptr))
        return std::nullopt;
    Parts parts;
    parts.hasAuthority = host != nullptr;
    parts.scheme = takeString(scheme);
    parts.userinfo = takeString(userinfo);
    parts.host = takeString(host);
    parts.path = takeString(path);
    parts.query = takeOptional(query);
    parts.fragment = takeOptional(fragment);
    parts.port = port;
    return parts;
}

std::string joinParts(const Parts& parts)
{
    char* joined = g_uri_join(G_URI_FLAGS_ENCODED, parts.scheme.empty() ? nullptr : parts.scheme.c_str(),
        parts.userinfo.empty() ? nullptr : parts.userinfo.c_str(), parts.hasAuthority ? parts.host.c_str() : nullptr,
        parts.port, parts.path.c_str(), parts.query ? parts.query->c_str() : nullptr,
        parts.fragment ? parts.fragment->c_str() : nullptr);
    return takeString(joined);
}

std::vector<std::string> segmentsOf(const std::string& encodedPath)
{
    std::vector<std::string> segments;
    std::size_t start = 0;
    while (start <= encodedPath.size()) {
        std::size_t slash = encodedPath.find('/', start);
        if (slash == std::string::npos)
            slash = encodedPath.size();
        if (slash > start)
            segments.push_back(encodedPath.substr(start, slash - start));
        start = slash + 1;
    }
    return segments;
}

std::string decodedOrRaw(const std::string& encoded)
{
    return URL::percentDecode(encoded).value_or(encoded);
}

} // namespace

std::optional<URL> URL::URLWithString(std::string_view text)
{
    auto parts = split(text);
    if (!parts)
        return std::nullopt;
    URL url;
    url.m_relative = joinParts(*parts);
    url.m_absolute = url.m_relative;
    // Most addresses are written as they are put back together: what they
    // split into is then what the whole address splits into.
    if (url.m_absolute == text)
        url.takeParts(*parts);
    else
        url.parseAbsolute();
    return url;
}

std::optional<URL> URL::URLWithString(std::string_view text, const URL& base)
{
    auto relative = URLWithString(text);
    if (!relative)
        return std::nullopt;
    if (base.isEmpty() || !relative->m_scheme.empty())
        return relative;
    URL url = *relative;
    url.m_base = std::make_shared<const URL>(base);
    GError* error = nullptr;
    char* resolved = g_uri_resolve_relative(base.m_absolute.c_str(), url.m_relative.c_str(), G_URI_FLAGS_ENCODED, &error);
    if (!resolved) {
        // A base without a scheme cannot anchor anything; the reference stays as written.
        g_clear_error(&error);
        return url;
    }
    url.m_absolute = takeString(resolved);
    url.parseAbsolute();
    return url;
}

URL URL::fromValidatedAbsolute(std::string text)
{
    URL url;
    url.m_relative = std::move(text);
    url.m_absolute = url.m_relative;
    url.parseAbsolute();
    return url;
}

URL URL::fileURLWithPath(std::string_view path, bool isDirectory)
{
    std::filesystem::path fsPath{std::string(path)};
    std::string absolute = path.empty() || path.front() != '/' ? (std::filesystem::current_path() / fsPath).string()
                                                              : std::string(path);
    if (isDirectory && absolute.back() != '/')
        absolute += '/';
    return fromValidatedAbsolute("file://" + percentEncode(absolute, AllowedCharacters::Path));
}

void URL::parseAbsolute()
{
    if (auto parts = split(m_absolute))
        takeParts(*parts);
}

void URL::takeParts(Parts& parts)
{
    m_scheme = std::move(parts.scheme);
    for (char& c : m_scheme)
        c = static_cast<char>(g_ascii_tolower(c));
    m_user = parts.userinfo.substr(0, parts.userinfo.find(':'));
    m_host = std::move(parts.host);
    m_port = parts.port >= 0 ? std::optional<int>(parts.port) : std::nullopt;
    m_path = std::move(parts.path);
    m_query = std::move(parts.query);
    m_fragment = std::move(parts.fragment);
    m_hasAuthority = parts.hasAuthority;
}

URL URL::absoluteURL() const
{
    return fromValidatedAbsolute(m_absolute);
}

std::string URL::resourceSpecifier() const
{
    if (m_scheme.empty())
        return m_absolute;
    return m_absolute.substr(m_scheme.size() + 1);
}

std::string URL::path() const
{
    std::string decoded = decodedOrRaw(m_path);
    if (decoded.size() > 1 && decoded.back() == '/')
        decoded.pop_back();
    return decoded;
}

std::string URL::fileSystemPath() const
{
    if (!isFileURL())
        return {};
    auto decoded = percentDecode(m_path);
    if (!decoded)
        return {};
    if (decoded->size() > 1 && decoded->back() == '/')
        decoded->pop_back();
    return *decoded;
}

std::vector<std::string> URL::pathComponents() const
{
    std::vector<std::string> components;
    if (!m_path.empty() && m_path.front() == '/')
        components.push_back("/");
    for (const std::string& segment : segmentsOf(m_path))
        components.push_back(decodedOrRaw(segment));
    return components;
}

std::string URL::lastPathComponent() const
{
    auto components = pathComponents();
    return components.empty() ? std::string() : components.back();
}

std::string URL::pathExtension() const
{
    std::string last = lastPathComponent();
    std::size_t dot = last.rfind('.');
    // A leading dot marks a hidden file, not an extension.
    if (dot == std::string::npos || dot == 0 || last == "/")
        return {};
    return last.substr(dot + 1);
}

URL URL::withPath(const std::string& encodedPath) const
{
    auto parts = split(m_absolute);
    if (!parts)
        return *this;
    parts->path = encodedPath;
    return fromValidatedAbsolute(joinParts(*parts));
}

URL URL::URLByAppendingPathComponent(std::string_view component, bool isDirectory) const
{
    std::string path = m_path;
    if (path.empty() ? m_hasAuthority : path.back() != '/')
        path += '/';
    path += percentEncode(component, AllowedCharacters::Path);
    if (isDirectory && path.back() != '/')
        path += '/';
    return withPath(path);
}

URL URL::URLByAppendingPathExtension(std::string_view extension) const
{
    std::string path = m_path;
    bool directory = path.size() > 1 && path.back() == '/';
    if (directory)
        path.pop_back();
    path += '.' + percentEncode(extension, AllowedCharacters::Path);
    if (directory)
        path += '/';
    return withPath(path);
}

URL URL::URLByDeletingLastPathComponent() const
{
    std::string path = m_path;
    if (path.size() > 1 && path.back() == '/')
        path.pop_back();
    std::size_t slash = path.rfind('/');
    path = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    return withPath(path);
}

URL URL::URLByDeletingPathExtension() const
{
    std::string path = m_path;
    bool directory = path.size() > 1 && path.back() == '/';
    if (directory)
        path.pop_back();
    std::size_t slash = path.rfind('/');
    std::size_t lastStart = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = path.rfind('.');
    if (dot != std::string::npos && dot > lastStart)
        path.erase(dot);
    if (directory)
        path += '/';
    return withPath(path);
}

std::string URL::percentEncode(std::string_view text, AllowedCharacters allowed)
{
    return percentEncode(text, allowedSet(allowed));
}

std::string URL::percentEncode(std::string_view text, std::string_view allowedCharacters)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::array<bool, 128> keep{};
    for (char c : allowedCharacters) {
        if (static_cast<unsigned char>(c) < 128)
            keep[static_cast<unsigned char>(c)] = true;
    }
    std::string encoded;
    encoded.reserve(text.size());
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 128 && keep[byte]) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0xF];
        }
    }
    return encoded;
}

std::optional<std::string> URL::percentDecode(std::string_view text)
{
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            decoded += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return std::nullopt;
        int high = hexDigitValue(text[i + 1]);
        int low = hexDigitValue(text[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
    }
    if (!g_utf8_validate(decoded.data(), static_cast<gssize>(decoded.size()), nullptr))
        return std::nullopt;
    return decoded;
}

} // namespace folio
