#pragma once

#include "engine/html/writer/HTMLStyleClassTable.h"
#include "engine/html/writer/HTMLWriterContext.h"
#include "platform/text/AttributedString.h"

#include <optional>
#include <string>

namespace folio {

// Turns attributed text into HTML: either a whole HTML 4.01 document whose
// styles are generated classes in a style element, or a fragment with inline
// styles. This is the one road from attributed text to HTML: an RTF document
// opens as attributed text and reaches its editing page through here, and
// print, PDF and ePub export write their HTML here with their own settings.
//
// A writer builds once: whichever of HTMLString and HTMLFragment is asked
// first decides what both answer from then on.
class TEHTMLWriter {
public:
    explicit TEHTMLWriter(AttributedString attributedString, TEHTMLWriterSettings settings = {});
    // A writer points into its own text, so it stays where it was made.
    TEHTMLWriter(const TEHTMLWriter&) = delete;
    TEHTMLWriter& operator=(const TEHTMLWriter&) = delete;

    // The whole document (on the first request).
    const std::u16string& HTMLString();
    // A fragment (on the first request).
    const std::u16string& HTMLFragment();
    // The fragment in UTF-8, as it was written (on the first request).
    const std::string& HTMLFragmentData();

    const AttributedString& attributedString() const { return *m_text; }
    const TEHTMLWriterSettings& settings() const { return m_settings; }

    // Font sizes, letter spacing, indents and spacings are divided by it.
    double textScale() const { return m_textScale; }
    void setTextScale(double scale) { m_textScale = scale; }
    // Pairs of blanks become a blank and a no-break space, so that browsers
    // keep them.
    bool useAppleConvertedSpace() const { return m_useAppleConvertedSpace; }
    void setUseAppleConvertedSpace(bool use) { m_useAppleConvertedSpace = use; }
    // The element of an ordinary paragraph.
    const std::string& paragraphTagName() const { return m_paragraphTagName; }
    void setParagraphTagName(std::string name) { m_paragraphTagName = std::move(name); }

private:
    friend std::u16string htmlString(const AttributedString&, const TEHTMLWriterSettings&);
    friend std::u16string htmlString(const AttributedString&);
    friend std::u16string htmlFragment(const AttributedString&);
    friend std::string htmlData(const AttributedString&, const TEHTMLWriterSettings&);

    TEHTMLWriter(const AttributedString* borrowed, TEHTMLWriterSettings settings);
    // The HTML in UTF-8, as it is written.
    std::string buildOutputAsHTMLFragment(bool fragment);

    // The text written: the writer's own, or the caller's when borrowed.
    std::optional<AttributedString> m_ownText;
    const AttributedString* m_text;
    TEHTMLWriterSettings m_settings;
    double m_textScale = 1.0;
    bool m_useAppleConvertedSpace = true;
    std::string m_paragraphTagName = "div";
    HTMLStyleClassTable m_styleLookup;
    // The HTML as written, and its UTF-16 form once that is asked for.
    std::optional<std::string> m_HTMLData;
    std::optional<std::u16string> m_HTMLString;
};

// The writer's entry points on attributed text.
// A fragment written with the given settings.
std::u16string htmlString(const AttributedString& string, const TEHTMLWriterSettings& settings);
// A whole document with the default settings.
std::u16string htmlString(const AttributedString& string);
// A fragment with the default settings.
std::u16string htmlFragment(const AttributedString& string);
// The fragment of htmlString(string, settings) in UTF-8, for callers that
// write it out or hand it on as bytes: no UTF-16 copy of the HTML is made.
std::string htmlData(const AttributedString& string, const TEHTMLWriterSettings& settings);

} // namespace folio
