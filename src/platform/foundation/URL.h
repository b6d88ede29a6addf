#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

// An RFC 3986 URL reference, optionally relative to a base URL. Components
// are kept percent-encoded as written; path(), pathComponents() and
// lastPathComponent() answer them decoded.
class URL {
public:
    // Characters left unescaped by percentEncode, one set per URL component.
    enum class AllowedCharacters { Path, Query, Fragment, Host, User, Password };

    URL() = default;

    // Nothing for text that is not a URL reference (spaces, bad escapes,
    // characters outside the URL alphabet).
    static std::optional<URL> URLWithString(std::string_view text);
    static std::optional<URL> URLWithString(std::string_view text, const URL& base);

    // A file URL of an absolute path; a relative path is taken from the
    // current folder. Folders get a trailing slash when isDirectory is set.
    static URL fileURLWithPath(std::string_view path, bool isDirectory = false);

    bool isEmpty() const { return m_relative.empty() && !m_base; }
    bool isFileURL() const { return scheme() == "file"; }

    // The text as given, and the text resolved against the base.
    const std::string& relativeString() const { return m_relative; }
    std::string absoluteString() const { return m_absolute; }
    const URL* baseURL() const { return m_base.get(); }
    URL absoluteURL() const;

    std::string scheme() const { return m_scheme; }
    std::string host() const { return m_host; }
    std::optional<int> port() const { return m_port; }
    std::string user() const { return m_user; }
    std::optional<std::string> query() const { return m_query; }
    std::optional<std::string> fragment() const { return m_fragment; }
    // The resource specifier after "scheme:" (e.g. of "data:" or "mailto:" URLs).
    std::string resourceSpecifier() const;

    // Decoded path without a trailing slash ("/" stays "/").
    std::string path() const;
    // The path as written, still percent-encoded.
    std::string encodedPath() const { return m_path; }
    bool hasDirectoryPath() const { return !m_path.empty() && m_path.back() == '/'; }
    // For file URLs: the file system path; empty for other schemes.
    std::string fileSystemPath() const;

    std::vector<std::string> pathComponents() const;
    std::string lastPathComponent() const;
    std::string pathExtension() const;

    URL URLByAppendingPathComponent(std::string_view component, bool isDirectory = false) const;
    URL URLByAppendingPathExtension(std::string_view extension) const;
    URL URLByDeletingLastPathComponent() const;
    URL URLByDeletingPathExtension() const;

    static std::string percentEncode(std::string_view text, AllowedCharacters allowed);
    static std::string percentEncode(std::string_view text, std::string_view allowedCharacters);
    // Nothing when an escape is malformed or the decoded bytes are not UTF-8.
    static std::optional<std::string> percentDecode(std::string_view text);

    friend bool operator==(const URL& a, const URL& b) { return a.m_absolute == b.m_absolute; }

    // What an address splits into; known to this class's own code only.
    struct Parts;

private:
    static URL fromValidatedAbsolute(std::string text);
    void parseAbsolute();
    void takeParts(Parts& parts);
    URL withPath(const std::string& encodedPath) const;

    std::string m_relative;
    std::shared_ptr<const URL> m_base;
    std::string m_absolute;
    std::string m_scheme;
    std::string m_user;
    std::string m_host;
    std::optional<int> m_port;
    std::string m_path;
    std::optional<std::string> m_query;
    std::optional<std::string> m_fragment;
    bool m_hasAuthority = false;
};

} // namespace folio
