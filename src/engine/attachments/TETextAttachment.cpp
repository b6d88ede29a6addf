#include "engine/attachments/TETextAttachment.h"

#include "engine/html/HTMLString.h"
#include "engine/attachments/TEIframeTextAttachment.h"
#include "engine/attachments/TEImageTextAttachment.h"
#include "engine/attachments/TEObjectTextAttachment.h"
#include "engine/attachments/TEVideoTextAttachment.h"
#include "foundation/system/TEUtilities.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/Font.h"

#include <charconv>
#include <array>
#include <cmath>
#include <functional>
#include <map>
#include <mutex>

namespace folio {

namespace {

struct RegisteredClass {
    std::string className;
    TETextAttachment::Factory factory;
};

template <typename Attachment>
TETextAttachment::Factory factoryFor()
{
    return [](const TETextAttachmentElement& element, const TETextAttachmentOptions& options) -> TETextAttachmentPtr {
        return Attachment::attachmentWithElement(element, options);
    };
}

struct Registry {
    std::mutex mutex;
    std::map<std::string, RegisteredClass> classes;

    Registry()
    {
        classes["img"] = {"TEImageTextAttachment", factoryFor<TEImageTextAttachment>()};
        classes["video"] = {"TEVideoTextAttachment", factoryFor<TEVideoTextAttachment>()};
        classes["iframe"] = {"TEIframeTextAttachment", factoryFor<TEIframeTextAttachment>()};
        classes["object"] = {"TEObjectTextAttachment", factoryFor<TEObjectTextAttachment>()};
    }
};

Registry& registry()
{
    static Registry shared;
    return shared;
}

bool isAttributeNameCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_'
        || c == '.' || c == ':';
}

// Event handler attributes would run script in the editing page when the
// attachment is written back into it; a pasted picture must not carry that.
bool isEventHandlerName(std::string_view name)
{
    return name.size() > 2 && (name[0] == 'o' || name[0] == 'O') && (name[1] == 'n' || name[1] == 'N');
}

} // namespace

void TETextAttachment::registerClassForTagName(std::string className, Factory factory, const std::string& tagName)
{
    Registry& shared = registry();
    std::lock_guard lock(shared.mutex);
    if (auto existing = shared.classes.find(tagName); existing != shared.classes.end()) {
        TELog(TELogLevelDebug, "Replacing previously registered class '" + existing->second.className
                                   + "' for tag name '" + tagName + "' with '" + className + "'");
    }
    shared.classes[tagName] = {std::move(className), std::move(factory)};
}

std::optional<std::string> TETextAttachment::registeredClassForTagName(const std::string& tagName)
{
    Registry& shared = registry();
    std::lock_guard lock(shared.mutex);
    if (auto found = shared.classes.find(tagName); found != shared.classes.end())
        return found->second.className;
    return std::nullopt;
}

TETextAttachmentPtr TETextAttachment::textAttachmentWithElement(const TETextAttachmentElement& element,
                                                                const TETextAttachmentOptions& options)
{
    Factory factory;
    {
        Registry& shared = registry();
        std::lock_guard lock(shared.mutex);
        auto found = shared.classes.find(element.tagName);
        if (found == shared.classes.end())
            return nullptr;
        factory = found->second.factory;
    }
    // Called outside the lock: a factory may itself consult the registry.
    return factory ? factory(element, options) : nullptr;
}

void TETextAttachment::initWithElement(const TETextAttachmentElement& element, const TETextAttachmentOptions& options)
{
    m_originalSize = element.size;
    m_maxImageSize = options.maxImageSize;
    setDisplaySizeWithMaxDisplaySize(m_originalSize, m_maxImageSize);
    m_attributes = element.attributes;
}

void TETextAttachment::setDisplaySizeWithMaxDisplaySize(Size size, Size maxDisplaySize)
{
    if (m_originalSize.width != 0 && m_originalSize.height != 0) {
        if (size.width == 0 && size.height == 0) {
            size = m_originalSize;
        } else if (size.width == 0) {
            size.width = std::round(m_originalSize.width / (m_originalSize.height / size.height));
        } else if (size.height == 0) {
            size.height = std::round(m_originalSize.height / (m_originalSize.width / size.width));
        }
    }
    if (maxDisplaySize.width > 0 && maxDisplaySize.height > 0
        && (size.width > maxDisplaySize.width || size.height > maxDisplaySize.height)) {
        size = TECGSizeThatFitsKeepingAspectRatio(size, maxDisplaySize);
    }
    m_displaySize = size;
}

void TETextAttachment::setOriginalSize(Size size)
{
    if (size == m_originalSize)
        return;
    m_originalSize = size;
    if (m_displaySize.width == 0 || m_displaySize.height == 0)
        setDisplaySizeWithMaxDisplaySize(m_originalSize, m_maxImageSize);
}

std::string TETextAttachment::referencedPictureName() const
{
    if (m_contentURL && m_contentURL->scheme().empty() && !m_contentURL->lastPathComponent().empty())
        return m_contentURL->path();
    const std::u16string* name = attributeForKey(kPictureNameKey);
    return name ? toUtf8(*name) : std::string();
}

Size TETextAttachment::referencedPictureSize() const
{
    const std::u16string* kept = attributeForKey(kPictureSizeKey);
    if (!kept)
        return displaySize();
    const std::string text = toUtf8(*kept);
    const std::size_t cross = text.find('x');
    if (cross == std::string::npos)
        return displaySize();
    double width = -1;
    double height = -1;
    std::from_chars(text.data(), text.data() + cross, width);
    std::from_chars(text.data() + cross + 1, text.data() + text.size(), height);
    // A size no picture has is none.
    if (!(width >= 0 && width <= 1e6 && height >= 0 && height <= 1e6))
        return displaySize();
    return Size{width, height};
}

std::u16string TETextAttachment::pictureReferenceHTML() const
{
    std::u16string html = u"<img " + toUtf16(kPictureNameKey) + u"=\"" +
        stringByAddingHTMLEntities(toUtf16(referencedPictureName())) + u"\"";
    const Size size = referencedPictureSize();
    html += toUtf16(std::string(" ") + kPictureSizeKey + "=\"" + formatInCLocale("%.0fx%.0f", size.width, size.height) + "\"");
    html += htmlForOtherAttributes({"src", "style", "width", "height", kPictureNameKey, kPictureSizeKey});
    html += u" />";
    return html;
}

const std::u16string* TETextAttachment::attributeForKey(const std::string& key) const
{
    auto found = m_attributes.find(key);
    return found == m_attributes.end() ? nullptr : &found->second;
}

void TETextAttachment::adjustVerticalAlignmentForFont(const Font& font)
{
    setFontMetrics(font.leading(), font.ascender(), font.descender());
}

void TETextAttachment::setFontMetrics(double leading, double ascent, double descent)
{
    m_fontLeading = leading;
    m_fontAscent = ascent;
    m_fontDescent = descent;
}

double TETextAttachment::ascentForLayout() const
{
    double height = m_displaySize.height;
    switch (m_verticalAlignment) {
    case TEVerticalAlignment::Baseline:
        return height;
    case TEVerticalAlignment::Top:
        return m_fontAscent;
    case TEVerticalAlignment::Center:
        return (m_fontAscent + m_fontDescent) / 2 - m_fontDescent + height / 2;
    case TEVerticalAlignment::Bottom:
        return height - m_fontDescent;
    }
    return height;
}

double TETextAttachment::descentForLayout() const
{
    double height = m_displaySize.height;
    switch (m_verticalAlignment) {
    case TEVerticalAlignment::Baseline:
        return 0;
    case TEVerticalAlignment::Top:
        return height - m_fontAscent;
    case TEVerticalAlignment::Center:
        return height / 2 + (m_fontAscent + m_fontDescent) / 2 - m_fontAscent;
    case TEVerticalAlignment::Bottom:
        return m_fontDescent;
    }
    return 0;
}

std::size_t TETextAttachment::hash() const
{
    return std::hash<const void*>()(this);
}

std::u16string TETextAttachment::styleForVerticalAlignmentAndSize(Size size) const
{
    std::string style;
    switch (m_verticalAlignment) {
    case TEVerticalAlignment::Top:
        style += "vertical-align:text-top;";
        break;
    case TEVerticalAlignment::Center:
        style += "vertical-align:middle;";
        break;
    case TEVerticalAlignment::Bottom:
        style += "vertical-align:text-bottom;";
        break;
    case TEVerticalAlignment::Baseline:
        break;
    }
    if (size.width > 0)
        style += formatInCLocale("width:%.0fpx;", size.width);
    if (size.height > 0)
        style += formatInCLocale("height:%.0fpx;", size.height);
    return toUtf16(style);
}

std::u16string TETextAttachment::htmlForOtherAttributes(std::initializer_list<std::string_view> excluded) const
{
    std::u16string html;
    for (const auto& [name, value] : m_attributes) {
        bool skipped = isEventHandlerName(name);
        for (std::string_view excludedName : excluded)
            skipped = skipped || name == excludedName;
        if (skipped || name.empty())
            continue;
        html += u" " + htmlAttributeName(name) + u"=\"" + stringByAddingHTMLEntities(value) + u"\"";
    }
    return html;
}

std::u16string TETextAttachment::htmlForMediaElement(std::u16string_view elementName) const
{
    std::u16string html = u"<" + std::u16string(elementName);
    if (m_contentURL)
        html += u" src=\"" + stringByAddingHTMLEntities(toUtf16(m_contentURL->absoluteString())) + u"\"";
    std::u16string style = styleForVerticalAlignmentAndSize(m_originalSize);
    if (!style.empty())
        html += u" style=\"" + style + u"\"";
    html += htmlForOtherAttributes({"src", "style", "width", "height"});
    html += u" />";
    return html;
}

void appendHTMLAttributeName(std::string& html, std::string_view name)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    // A page writes hundreds of thousands of names, nearly all of them plain:
    // each stretch of allowed characters goes in at once.
    static const auto allowed = [] {
        std::array<bool, 256> table{};
        for (std::size_t byte = 0; byte < table.size(); ++byte)
            table[byte] = isAttributeNameCharacter(static_cast<char>(byte));
        return table;
    }();
    std::size_t start = 0;
    for (std::size_t index = 0; index < name.size(); ++index) {
        const char c = name[index];
        if (allowed[static_cast<unsigned char>(c)])
            continue;
        html.append(name.data() + start, index - start);
        auto byte = static_cast<unsigned char>(c);
        html.push_back('%');
        html.push_back(kHex[byte >> 4]);
        html.push_back(kHex[byte & 0xF]);
        start = index + 1;
    }
    html.append(name.data() + start, name.size() - start);
}

std::u16string htmlAttributeName(std::string_view name)
{
    std::string encoded;
    appendHTMLAttributeName(encoded, name);
    // Only ASCII is written: each byte is its unit.
    return std::u16string(encoded.begin(), encoded.end());
}

} // namespace folio
