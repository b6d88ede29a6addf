#pragma once

#include "formats/rtf/RichTextConverter.h"
#include "platform/foundation/Unicode.h"
#include "platform/text/AttributeValue.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace folio::testing_support {

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::string& path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// How often the part stands in the text, overlapping places counted.
inline std::size_t occurrences(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// A folder of its own per test.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name)
        : m_path(std::filesystem::temp_directory_path() / (name + "-" + std::to_string(getpid())))
    {
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    // A document closing on its own thread may still be writing here; what it
    // leaves is the system's temporary folder's to clear, never a reason to abort.
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    std::string path(const std::string& name) const { return (m_path / name).string(); }
    const std::filesystem::path& root() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// The engine's RTF reader and HTML writer for opening; for saving, the page's
// HTML is taken as text and the "RTF" is the text with the document
// attributes of its first character, so tests can see what the writer got.
class SavingConverter final : public RichTextConverter {
public:
    Result<DKRTFReadResult> readRTF(const DKRTFReaderSource& rtf, const std::string& name,
                                    const DKRTFReadWatch* watch) override
    {
        if (!watch)
            return RichTextConverter::engineConverter()->readRTF(rtf, name, nullptr);
        DKRTFReadWatch noting = *watch;
        noting.goOn = [this, watch](const AttributedString& textSoFar) {
            const bool goOn = watch->goOn(textSoFar);
            if (!goOn)
                readStoppedAtLength = textSoFar.length();
            return goOn;
        };
        return RichTextConverter::engineConverter()->readRTF(rtf, name, &noting);
    }
    Result<std::string> htmlFragmentFromAttributedString(const AttributedString& text,
                                                         const std::string& name) override
    {
        longestPageText = std::max(longestPageText, text.length());
        return RichTextConverter::engineConverter()->htmlFragmentFromAttributedString(text, name);
    }
    Result<MutableAttributedString> attributedStringFromHTML(std::string_view html) override
    {
        htmlRead = std::string(html);
        if (html.empty())
            return Error{kErrorDomain, ConversionFailed, "empty"};
        return MutableAttributedString(toUtf16(html));
    }
    Result<std::string> rtfFromAttributedString(const AttributedString& text, const std::string& name,
                                                BlankDocument blank) override
    {
        written = MutableAttributedString(text);
        writtenBlank = blank;
        documentName = name;
        return "{\\rtf1 " + toUtf8(text.string()) + "}";
    }

    // The string value of a document attribute on the first character written.
    std::optional<std::string> writtenAttribute(std::string_view key) const
    {
        if (!written || written->length() == 0)
            return std::nullopt;
        auto attributes = written->attributesAtIndex(0);
        if (!attributes)
            return std::nullopt;
        auto value = attributes->valueForKey(key);
        const auto* string = value ? value->as<StringValue>() : nullptr;
        if (!string)
            return std::nullopt;
        return toUtf8(string->value());
    }

    // Where the watch of the last read stopped it (0 when it did not), and
    // the longest text a page was made of.
    std::size_t readStoppedAtLength = 0;
    std::size_t longestPageText = 0;
    std::string htmlRead;
    std::optional<MutableAttributedString> written;
    std::string documentName;
    std::optional<BlankDocument> writtenBlank;
};

} // namespace folio::testing_support
