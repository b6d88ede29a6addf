#pragma once

#include "engine/css/TECSSStylesheet.h"
#include "engine/fonts/TEFontDescriptor.h"
#include "engine/dom/TEHTMLElement.h"
#include "engine/html/reader/TEHTMLParser.h"
#include "engine/html/reader/TEHTMLReaderOptions.h"
#include "engine/model/TEParagraphStyle.h"
#include "platform/text/MutableAttributedString.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace folio {

// Converts HTML bytes into attributed text: runs the HTML parser, grows a tree
// of styled elements from its events and appends the text of each finished
// top-level element to the result. Parsing, tree building and assembly run as
// one pass on the calling thread; the result is what counts.
class TEHTMLAttributedStringBuilder : public TEHTMLParserDelegate {
public:
    // Elements nested deeper than this are placed as children of the element
    // at this depth, as browsers do, so that styling and output stay bounded
    // for any input (a paste of 100,000 nested spans).
    static constexpr std::size_t kMaximumTreeDepth = 256;

    explicit TEHTMLAttributedStringBuilder(std::string data, TEHTMLReaderOptions options = {});
    explicit TEHTMLAttributedStringBuilder(TEHTMLBorrowedBytes data, TEHTMLReaderOptions options = {});
    ~TEHTMLAttributedStringBuilder() override;

    // Built on the first call; later calls answer the same text. None for empty data.
    const std::optional<MutableAttributedString>& generatedAttributedString();
    // The same text handed over, for a caller that needs the builder no more.
    std::optional<MutableAttributedString> takeGeneratedAttributedString();
    // Whether the parser reported success (false after a failed or aborted parse;
    // the text then holds whatever was assembled).
    bool parseSucceeded() const { return m_parseSucceeded; }

    const std::function<void(TEHTMLElement&)>& willFlushCallback() const { return m_willFlushCallback; }
    void setWillFlushCallback(std::function<void(TEHTMLElement&)> callback) { m_willFlushCallback = std::move(callback); }
    bool shouldKeepDocumentNodeTree() const { return m_shouldKeepDocumentNodeTree; }
    void setShouldKeepDocumentNodeTree(bool keep) { m_shouldKeepDocumentNodeTree = keep; }

    // The first element; kept after the build for inspection.
    const TEHTMLElementPtr& rootNode() const { return m_rootNode; }
    const TECSSStylesheet& globalStyleSheet() const { return m_globalStyleSheet; }

    // --- TEHTMLParserDelegate ----------------------------------------------
    unsigned implementedOperations() const override;
    void parserDidStartElement(TEHTMLParser&, const std::string& name,
                               std::optional<TEHTMLAttributes> attributes) override;
    void parserDidEndElement(TEHTMLParser&, const std::string& name) override;
    void parserFoundCharacters(TEHTMLParser&, std::u16string characters) override;
    void parserFoundCDATA(TEHTMLParser&, const std::string& bytes) override;
    void parserDidEndDocument(TEHTMLParser&) override {}

private:
    using Handler = void (TEHTMLAttributedStringBuilder::*)(TEHTMLElement&);
    struct OpenElement {
        TEHTMLElement* element;
        std::size_t depth;
    };

    void build();
    void registerTagHandlers();
    void setUpDefaults();
    // Where a new child of the open element goes, and at which depth.
    std::pair<TEHTMLElement*, std::size_t> parentForNewChild() const;
    void flush(TEHTMLElement& element);
    // Whether an ended element inside the body may work out its text now.
    bool canSettle(const TEHTMLElement& element) const;
    std::optional<URL> resolvedURL(const std::u16string& text) const;

    void startBlockquote(TEHTMLElement& element);
    void startAnchor(TEHTMLElement& element);
    void startList(TEHTMLElement& element);
    void startHeader(TEHTMLElement& element);
    void startFont(TEHTMLElement& element);
    void startParagraph(TEHTMLElement& element);
    void endVideo(TEHTMLElement& element);
    void endStyle(TEHTMLElement& element);
    void endLink(TEHTMLElement& element);

    std::string m_data;
    // Set when the bytes are the caller's; m_data is then empty.
    std::optional<TEHTMLBorrowedBytes> m_borrowed;
    TEHTMLReaderOptions m_options;
    bool m_built = false;
    bool m_parseSucceeded = false;
    bool m_shouldKeepDocumentNodeTree = false;
    std::function<void(TEHTMLElement&)> m_willFlushCallback;

    double m_textScale = 1.0;
    std::optional<Color> m_defaultLinkColor;
    TECSSStylesheet m_globalStyleSheet;
    TEFontDescriptor m_defaultFontDescriptor;
    TEParagraphStyle m_defaultParagraphStyle;
    std::shared_ptr<TEHTMLElement> m_defaultTag;
    std::optional<MutableAttributedString> m_result;

    std::unordered_map<std::string, Handler> m_tagStartHandlers;
    std::unordered_map<std::string, Handler> m_tagEndHandlers;

    TEHTMLElementPtr m_rootNode;
    TEHTMLElement* m_bodyElement = nullptr;
    std::vector<OpenElement> m_openElements;
    bool m_ignoreParseEvents = false;
    // The parts of a list that comes back after other paragraphs, by the
    // identity they share: a later part is the same list again.
    std::unordered_map<std::u16string, std::shared_ptr<const TECSSListStyle>> m_returningLists;
};

// HTML bytes to attributed text with the given options; none for empty data.
std::optional<AttributedString> attributedStringWithHTMLData(std::string data, const TEHTMLReaderOptions& options = {});
// The same reading the caller's bytes where they lie.
std::optional<AttributedString> attributedStringWithHTMLData(TEHTMLBorrowedBytes data,
                                                             const TEHTMLReaderOptions& options = {});
// The same with only a base URL for relative references.
std::optional<AttributedString> attributedStringWithHTMLData(std::string data, const std::optional<URL>& baseURL);

} // namespace folio
