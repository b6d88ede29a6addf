#include "engine/html/reader/TEHTMLAttributedStringBuilder.h"

#include "engine/css/ColorHTML.h"
#include "engine/html/HTMLString.h"
#include "engine/html/reader/TEHTMLReaderStringExtensions.h"
#include "engine/dom/TEStylesheetHTMLElement.h"
#include "engine/dom/TETextHTMLElement.h"
#include "engine/dom/TEHTMLParserTextNode.h"
#include "engine/attachments/TEVideoTextAttachment.h"
#include "platform/foundation/CharacterSet.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/OneShotHeap.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace folio {

namespace {

constexpr double kDefaultPointSize = 12.0;

bool isAbsoluteAddress(const std::u16string& text)
{
    const std::optional<URL> url = URL::URLWithString(toUtf8(text));
    return url && !url->scheme().empty();
}

// Sizes of the legacy font element's "size" 1 to 7.
constexpr double kFontElementSizes[] = {10, 13, 16, 18, 24, 32, 48};

bool isInsideFolder(const std::filesystem::path& file, const std::filesystem::path& folder)
{
    std::error_code error;
    const std::filesystem::path canonicalFile = std::filesystem::weakly_canonical(file, error);
    if (error)
        return false;
    const std::filesystem::path canonicalFolder = std::filesystem::weakly_canonical(folder, error);
    if (error)
        return false;
    auto [folderEnd, fileIt] = std::mismatch(canonicalFolder.begin(), canonicalFolder.end(), canonicalFile.begin(),
                                             canonicalFile.end());
    // Every component of the folder matched; an empty last component stands for a trailing slash.
    return folderEnd == canonicalFolder.end() || (std::next(folderEnd) == canonicalFolder.end() && folderEnd->empty());
}

std::optional<std::string> readFile(const std::filesystem::path& path)
{
    std::ifstream stream(path, std::ios::binary);
    if (!stream)
        return std::nullopt;
    std::ostringstream contents;
    contents << stream.rdbuf();
    if (stream.bad())
        return std::nullopt;
    return contents.str();
}

} // namespace

TEHTMLAttributedStringBuilder::TEHTMLAttributedStringBuilder(std::string data, TEHTMLReaderOptions options)
    : m_data(std::move(data))
    , m_options(std::move(options))
    , m_willFlushCallback(m_options.willFlushBlockCallBack)
{
}

TEHTMLAttributedStringBuilder::TEHTMLAttributedStringBuilder(TEHTMLBorrowedBytes data, TEHTMLReaderOptions options)
    : m_borrowed(data)
    , m_options(std::move(options))
    , m_willFlushCallback(m_options.willFlushBlockCallBack)
{
}

TEHTMLAttributedStringBuilder::~TEHTMLAttributedStringBuilder() = default;

unsigned TEHTMLAttributedStringBuilder::implementedOperations() const
{
    return TEHTMLParserDelegateOperation::DidStartElement | TEHTMLParserDelegateOperation::DidEndElement |
           TEHTMLParserDelegateOperation::FoundCharacters | TEHTMLParserDelegateOperation::FoundCDATA |
           TEHTMLParserDelegateOperation::DidEndDocument;
}

const std::optional<MutableAttributedString>& TEHTMLAttributedStringBuilder::generatedAttributedString()
{
    if (!m_built) {
        m_built = true;
        build();
    }
    return m_result;
}

std::optional<MutableAttributedString> TEHTMLAttributedStringBuilder::takeGeneratedAttributedString()
{
    generatedAttributedString();
    std::optional<MutableAttributedString> result = std::move(m_result);
    m_result.reset();
    return result;
}

void TEHTMLAttributedStringBuilder::registerTagHandlers()
{
    using Self = TEHTMLAttributedStringBuilder;
    m_tagStartHandlers = {
        {"blockquote", &Self::startBlockquote},
        {"a", &Self::startAnchor},
        {"ul", &Self::startList},
        {"ol", &Self::startList},
        {"font", &Self::startFont},
        {"p", &Self::startParagraph},
    };
    for (const char* header : {"h1", "h2", "h3", "h4", "h5", "h6"})
        m_tagStartHandlers.emplace(header, &Self::startHeader);
    m_tagEndHandlers = {
        {"video", &Self::endVideo},
        {"style", &Self::endStyle},
        {"link", &Self::endLink},
    };
}

void TEHTMLAttributedStringBuilder::setUpDefaults()
{
    const double multiplier = m_options.textSizeMultiplier.value_or(0);
    m_textScale = multiplier == 0 ? 1.0 : multiplier;

    m_globalStyleSheet = TECSSStylesheet::defaultStyleSheet();
    if (m_options.defaultStyleSheet)
        m_globalStyleSheet.mergeStylesheet(*m_options.defaultStyleSheet);

    if (m_options.defaultFontFamily) {
        m_defaultFontDescriptor.setFontFamily(*m_options.defaultFontFamily);
        m_defaultFontDescriptor.setFontName(std::nullopt);
        m_defaultFontDescriptor.setPointSize(std::trunc(m_options.defaultFontSize));
    } else {
        m_defaultFontDescriptor.setPointSize(kDefaultPointSize);
    }

    if (m_options.defaultLinkColor) {
        m_defaultLinkColor = colorFromOption(*m_options.defaultLinkColor);
        if (m_defaultLinkColor)
            m_globalStyleSheet.parseStyleBlock(toUtf16("a {color:#" + htmlHexString(*m_defaultLinkColor) + ";}"));
    }
    if (m_options.defaultLinkDecoration && !*m_options.defaultLinkDecoration)
        m_globalStyleSheet.parseStyleBlock(u"a {text-decoration:none;}");
    if (m_options.defaultLinkHighlightColor) {
        if (std::optional<Color> highlight = colorFromOption(*m_options.defaultLinkHighlightColor))
            m_globalStyleSheet.parseStyleBlock(toUtf16("a:active {color:#" + htmlHexString(*highlight) + ";}"));
    }

    m_defaultParagraphStyle = TEParagraphStyle::defaultParagraphStyle();
    if (m_options.defaultLineHeightMultiplier)
        m_defaultParagraphStyle.setLineHeightMultiple(*m_options.defaultLineHeightMultiplier);
    if (m_options.defaultTextAlignment) {
        // Only the low byte carries the alignment; values past the known ones mean natural.
        const unsigned alignment = static_cast<unsigned>(*m_options.defaultTextAlignment) & 0xffu;
        m_defaultParagraphStyle.setAlignment(alignment <= 4 ? static_cast<TextAlignment>(alignment)
                                                            : TextAlignment::Natural);
    }
    if (m_options.defaultFirstLineHeadIndent)
        m_defaultParagraphStyle.setFirstLineHeadIndent(*m_options.defaultFirstLineHeadIndent);
    if (m_options.defaultHeadIndent)
        m_defaultParagraphStyle.setHeadIndent(*m_options.defaultHeadIndent);

    m_defaultTag = std::make_shared<TEHTMLElement>("#default", TEHTMLAttributes());
    m_defaultTag->setFontDescriptor(m_defaultFontDescriptor);
    m_defaultTag->setParagraphStyle(m_defaultParagraphStyle);
    m_defaultTag->setDictionaryPool(std::make_shared<TEAttributeDictionaryPool>());
    m_defaultTag->setFontFamilyCache(std::make_shared<TEFontFamilyCache>());
    m_defaultTag->setTextScale(m_textScale);
    m_defaultTag->setCurrentTextSize(m_defaultFontDescriptor.pointSize());
    m_defaultTag->setTextColor(Color());
    if (m_options.defaultTextColor) {
        if (std::optional<Color> color = colorFromOption(*m_options.defaultTextColor))
            m_defaultTag->setTextColor(*color);
    }
}

void TEHTMLAttributedStringBuilder::build()
{
    if (m_borrowed ? m_borrowed->bytes.empty() : m_data.empty())
        return;
    registerTagHandlers();
    setUpDefaults();
    m_result.emplace();

    const StringEncoding encoding =
        m_options.textEncodingName ? StringEncoding::named(*m_options.textEncodingName) : StringEncoding::utf8();
    // The parser keeps the page's own bytes while it reads; the builder needs
    // them no more.
    std::optional<TEHTMLParser> reading;
    if (m_borrowed)
        reading.emplace(*m_borrowed, encoding);
    else
        reading.emplace(std::move(m_data), encoding);
    TEHTMLParser& parser = *reading;
    parser.setDelegate(this);
    m_parseSucceeded = parser.parse();

    m_openElements.clear();
    m_tagStartHandlers.clear();
    m_tagEndHandlers.clear();
}

std::pair<TEHTMLElement*, std::size_t> TEHTMLAttributedStringBuilder::parentForNewChild() const
{
    const OpenElement& open = m_openElements.back();
    if (open.depth < kMaximumTreeDepth)
        return {open.element, open.depth + 1};
    // At the cap the new node becomes a sibling of the open element.
    TEHTMLElement* parent = open.element->parentElement();
    return {parent ? parent : open.element, open.depth};
}

void TEHTMLAttributedStringBuilder::parserDidStartElement(TEHTMLParser&, const std::string& name,
                                                          std::optional<TEHTMLAttributes> attributes)
{
    if (m_ignoreParseEvents)
        return;
    TEHTMLElementPtr element = TEHTMLElement::elementWithName(
        name, attributes ? std::move(*attributes) : TEHTMLAttributes(), m_options);

    TEHTMLElement* parent = nullptr;
    std::size_t depth = 0;
    TEHTMLParserNodePtr previousLastChild;
    if (!m_openElements.empty()) {
        std::tie(parent, depth) = parentForNewChild();
        element->inheritAttributesFromElement(*parent);
        element->interpretAttributes();
        if (!parent->childNodes().empty())
            previousLastChild = parent->childNodes().back();
        parent->addChildNode(element);
        if (!m_bodyElement && name == "body")
            m_bodyElement = element.get();
    } else {
        if (m_rootNode)
            return; // a second root after the first one ended is not read
        m_rootNode = element;
        element->inheritAttributesFromElement(*m_defaultTag);
        element->interpretAttributes();
    }

    element->applyStyles(m_globalStyleSheet.sharedMergedStyleDictionaryForElement(*element, false));

    // Indentation between blocks is not text.
    if (element->displayStyle() != TEHTMLElementDisplayStyle::Inline && previousLastChild) {
        if (const TETextHTMLElement* text = previousLastChild->asText();
            text && isIgnorableWhitespace(text->characters()))
            parent->removeChildNode(text);
    }

    m_openElements.push_back({element.get(), depth});
    if (auto handler = m_tagStartHandlers.find(name); handler != m_tagStartHandlers.end())
        (this->*handler->second)(*element);
}

void TEHTMLAttributedStringBuilder::parserDidEndElement(TEHTMLParser&, const std::string& name)
{
    if (m_ignoreParseEvents || m_openElements.empty())
        return;
    // An end tag closes every element opened after the matching start tag;
    // one that matches nothing open is ignored.
    auto match = std::find_if(m_openElements.rbegin(), m_openElements.rend(),
                              [&name](const OpenElement& open) { return open.element->name() == name; });
    if (match == m_openElements.rend())
        return;
    m_openElements.erase(match.base(), m_openElements.end());
    TEHTMLElement& element = *m_openElements.back().element;

    if (auto handler = m_tagEndHandlers.find(name); handler != m_tagEndHandlers.end())
        (this->*handler->second)(element);

    if (element.displayStyle() != TEHTMLElementDisplayStyle::None && m_bodyElement &&
        (&element == m_bodyElement || element.parentElement() == m_bodyElement))
        flush(element);
    else if (canSettle(element))
        element.settleOutput();

    m_openElements.pop_back();
    if (&element == m_rootNode.get())
        m_ignoreParseEvents = true;
}

bool TEHTMLAttributedStringBuilder::canSettle(const TEHTMLElement& element) const
{
    // A kept tree, or a flush callback that may look into the blocks it is
    // given, needs every element's children to stay.
    if (!m_bodyElement || m_shouldKeepDocumentNodeTree || m_willFlushCallback)
        return false;
    for (const TEHTMLElement* ancestor = element.parentElement(); ancestor; ancestor = ancestor->parentElement()) {
        if (ancestor == m_bodyElement)
            return true;
    }
    return false;
}

void TEHTMLAttributedStringBuilder::flush(TEHTMLElement& element)
{
    if (!element.needsOutput())
        return;
    if (m_willFlushCallback)
        m_willFlushCallback(element);
    if (std::optional<MutableAttributedString> text = element.attributedString())
        appendTakingOver(*m_result, std::move(*text));
    element.setDidOutput(true);
    if (!m_shouldKeepDocumentNodeTree)
        element.removeAllChildNodes();
}

void TEHTMLAttributedStringBuilder::parserFoundCharacters(TEHTMLParser&, std::u16string characters)
{
    if (m_ignoreParseEvents || m_openElements.empty())
        return;
    TEHTMLElement* parent = parentForNewChild().first;
    auto text = std::make_shared<TETextHTMLElement>(std::move(characters));
    if (parent == m_bodyElement) {
        // Text directly in the body has no block to wait for.
        m_result->appendAttributedString(MutableAttributedString(text->characters(), parent->textAttributes()));
        m_bodyElement->setDidOutput(true);
    }
    parent->addChildNode(std::move(text));
}

void TEHTMLAttributedStringBuilder::parserFoundCDATA(TEHTMLParser&, const std::string& bytes)
{
    if (m_ignoreParseEvents || m_openElements.empty())
        return;
    m_openElements.back().element->addChildNode(std::make_shared<TEHTMLParserTextNode>(toUtf16(bytes)));
}

std::optional<URL> TEHTMLAttributedStringBuilder::resolvedURL(const std::u16string& text16) const
{
    const std::string text = toUtf8(text16);
    std::optional<URL> url = URL::URLWithString(text);
    if (url && !url->scheme().empty())
        return url;
    if (!m_options.baseURL)
        return url;
    if (std::optional<URL> relative = URL::URLWithString(text, *m_options.baseURL))
        return relative;
    const std::string encoded = URL::percentEncode(text, URL::AllowedCharacters::Path);
    return URL::URLWithString(encoded, *m_options.baseURL);
}

void TEHTMLAttributedStringBuilder::startBlockquote(TEHTMLElement& element)
{
    element.paragraphStyle().setParagraphSpacing(m_defaultFontDescriptor.pointSize());
}

void TEHTMLAttributedStringBuilder::startAnchor(TEHTMLElement& element)
{
    if ((element.isColorInherited() || !element.textColor()) && m_defaultLinkColor) {
        element.setTextColor(m_defaultLinkColor);
        element.setColorInherited(false);
    }
    if (const std::u16string* anchor = element.attributeForKey("name"))
        element.setAnchorName(*anchor);
    if (const std::u16string* href = element.attributeForKey("href")) {
        std::u16string cleaned;
        for (char16_t c : *href) {
            if (c != u'\n')
                cleaned += c;
        }
        cleaned = stringByTrimmingCharactersInSet(cleaned, CharacterSet::whitespaceAndNewlineCharacterSet());
        if (!cleaned.empty()) {
            // "file name.html" and "http://x/a b" name their target as they
            // stand; only an address resolved against the base is rewritten.
            std::optional<std::string> address;
            if (!m_options.baseURL || isAbsoluteAddress(cleaned))
                address = toUtf8(cleaned);
            element.setLink(resolvedURL(cleaned), std::move(address));
        }
    }
}

void TEHTMLAttributedStringBuilder::startList(TEHTMLElement& element)
{
    TEParagraphStyle& style = element.paragraphStyle();
    style.setFirstLineHeadIndent(style.headIndent());
    TEParagraphStyle::TextLists lists = style.textLists();
    std::shared_ptr<const TECSSListStyle> list = element.listStyle();
    const std::u16string* identity = lists.empty() ? element.attributeForKey("data-list") : nullptr;
    if (identity) {
        // A later part says where its numbers go on from, which is no
        // difference of its own; one whose looks the user changed on the
        // page is a list of its own.
        auto [earlier, first] = m_returningLists.emplace(*identity, list);
        TECSSListStyle numberedOn = *list;
        numberedOn.setStartingItemNumber(earlier->second->startingItemNumber());
        if (!first && numberedOn.isEqualToListStyle(*earlier->second))
            list = earlier->second;
    }
    lists.push_back(std::move(list));
    style.setTextLists(std::move(lists));
}

void TEHTMLAttributedStringBuilder::startHeader(TEHTMLElement& element)
{
    element.setHeaderLevel(element.name()[1] - '0');
}

void TEHTMLAttributedStringBuilder::startFont(TEHTMLElement& element)
{
    double size = element.fontDescriptor().pointSize();
    if (const std::u16string* sizeText = element.attributeForKey("size")) {
        const int number = intValue(*sizeText);
        size = number >= 1 && number <= 7 ? m_textScale * kFontElementSizes[number - 1]
                                          : m_defaultFontDescriptor.pointSize();
    }
    TEFontDescriptor& descriptor = element.fontDescriptor();
    if (const std::u16string* face = element.attributeForKey("face")) {
        // The face names a family here; matching happens when the text is made.
        descriptor.setFontFamily(toUtf8(*face));
        descriptor.setFontName(std::nullopt);
    }
    descriptor.setPointSize(size);
    if (const std::u16string* color = element.attributeForKey("color"))
        element.setTextColor(colorWithHTMLName(std::u16string_view(*color)));
}

void TEHTMLAttributedStringBuilder::startParagraph(TEHTMLElement& element)
{
    element.paragraphStyle().setFirstLineHeadIndent(m_defaultParagraphStyle.firstLineHeadIndent());
}

void TEHTMLAttributedStringBuilder::endVideo(TEHTMLElement& element)
{
    auto video = std::dynamic_pointer_cast<TEVideoTextAttachment>(element.textAttachment());
    if (!video || video->contentURL())
        return;
    for (const auto& child : element.childNodes()) {
        if (child->name() != "source")
            continue;
        if (const std::u16string* source = child->attributeForKey("src"))
            video->setContentURL(resolvedURL(*source));
        return;
    }
}

void TEHTMLAttributedStringBuilder::endStyle(TEHTMLElement& element)
{
    if (auto* styleElement = dynamic_cast<TEStylesheetHTMLElement*>(&element))
        m_globalStyleSheet.mergeStylesheet(styleElement->stylesheet());
}

void TEHTMLAttributedStringBuilder::endLink(TEHTMLElement& element)
{
    const std::u16string* type = element.attributeForKey("type");
    const std::u16string* href = element.attributeForKey("href");
    if (!type || lowercaseString(*type) != u"text/css" || !href)
        return;
    const std::optional<URL> url = resolvedURL(*href);
    if (!url || !url->isFileURL()) {
        TELog(TELogLevelWarning, "CSS link referencing a non-local target, ignored");
        return;
    }
    // A page may only pull in sheets that lie beside it: a crafted link must
    // not read other files of the user's.
    const URL* base = m_options.baseURL ? &*m_options.baseURL : nullptr;
    if (!base || !base->isFileURL()) {
        TELog(TELogLevelWarning, "CSS link outside the document's folder, ignored");
        return;
    }
    const std::filesystem::path folder = base->hasDirectoryPath()
                                             ? std::filesystem::path(base->fileSystemPath())
                                             : std::filesystem::path(base->fileSystemPath()).parent_path();
    const std::filesystem::path file(url->fileSystemPath());
    if (!isInsideFolder(file, folder)) {
        TELog(TELogLevelWarning, "CSS link outside the document's folder, ignored");
        return;
    }
    if (std::optional<std::string> css = readFile(file))
        m_globalStyleSheet.mergeStylesheet(TECSSStylesheet(toUtf16(*css)));
}

namespace {

std::optional<AttributedString> builtText(TEHTMLAttributedStringBuilder& builder)
{
    std::optional<MutableAttributedString> result = builder.takeGeneratedAttributedString();
    if (!result)
        return std::nullopt;
    return AttributedString(std::move(*result));
}

} // namespace

std::optional<AttributedString> attributedStringWithHTMLData(std::string data, const TEHTMLReaderOptions& options)
{
    if (data.empty())
        return std::nullopt;
    TEHTMLAttributedStringBuilder builder(std::move(data), options);
    return builtText(builder);
}

std::optional<AttributedString> attributedStringWithHTMLData(TEHTMLBorrowedBytes data, const TEHTMLReaderOptions& options)
{
    if (data.bytes.empty())
        return std::nullopt;
    auto builder = std::make_unique<TEHTMLAttributedStringBuilder>(data, options);
    std::optional<AttributedString> text = builtText(*builder);
    // A one-shot conversion keeps the reading's pool, style sheet and caches
    // to the end rather than take them apart block by block: taking them
    // apart cost more than their room, many small blocks scattered over the
    // heap, saved the writer that runs next.
    dropWhenOneShotTaskEnds(std::move(builder));
    return text;
}

std::optional<AttributedString> attributedStringWithHTMLData(std::string data, const std::optional<URL>& baseURL)
{
    TEHTMLReaderOptions options;
    options.baseURL = baseURL;
    return attributedStringWithHTMLData(std::move(data), options);
}

} // namespace folio
