#pragma once

#include "engine/css/CSSString.h"
#include "engine/css/CSSStyleDictionary.h"
#include "engine/model/TECSSListStyle.h"
#include "engine/fonts/TEFontDescriptor.h"
#include "engine/fonts/TEFontFamilyCache.h"
#include "engine/model/TEAttributeDictionaryPool.h"
#include "engine/dom/TEHTMLParserNode.h"
#include "engine/html/reader/TEHTMLReaderOptions.h"
#include "engine/model/TEParagraphStyle.h"
#include "engine/model/TEScriptAttributes.h"
#include "engine/attachments/TETextAttachment.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/Color.h"
#include "platform/text/AttributeDictionary.h"
#include "platform/text/MutableAttributedString.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace folio {

class TEFormattingKey;
struct TEEdgeInsetsCache;
class TEHTMLElement;
using TEHTMLElementPtr = std::shared_ptr<TEHTMLElement>;

// How an element takes part in layout; the numbers are the engine's own.
enum class TEHTMLElementDisplayStyle : unsigned { Inline = 0, None = 1, Block = 2, ListItem = 3, Table = 4 };
enum class TEHTMLElementFloatStyle : unsigned { None = 0, Left = 1, Right = 2 };
enum class TEHTMLElementFontVariant : unsigned { Inherit = 0, Normal = 1, SmallCaps = 2 };

// One styled element of the tree the HTML reader grows. It carries the whole
// text style in force inside it: inherited from its parent, changed by its
// HTML attributes and by the CSS the style sheet resolves for it. Its output is
// its own characters or attachment plus the text of its children, with
// paragraph ends and list markers.
class TEHTMLElement : public TEHTMLParserNode {
public:
    // The class registered for the tag ("a", "br", "div", "hr", "li", "style",
    // and the attachment tags), else a plain element.
    static TEHTMLElementPtr elementWithName(const std::string& name, TEHTMLAttributes attributes,
                                           const TEHTMLReaderOptions& options);

    TEHTMLElement(std::string name, TEHTMLAttributes attributes);

    // Also takes the size from the "width" and "height" attributes.
    void setAttributes(TEHTMLAttributes attributes) override;
    TEHTMLElement* parentElement() const;
    TEHTMLElement* asElement() override { return this; }
    const TEHTMLElement* asElement() const override { return this; }

    // The three steps of styling, in this order.
    virtual void inheritAttributesFromElement(const TEHTMLElement& parent);
    void interpretAttributes();
    virtual void applyStyleDictionary(const CSSStyleDictionary& styles);
    // The same, keeping the shared dictionary instead of a copy of it.
    void applyStyles(std::shared_ptr<const CSSStyleDictionary> styles);

    // A new list style from the element's styles, numbered from "start".
    std::shared_ptr<TECSSListStyle> listStyle() const;

    virtual AttributeDictionaryPtr attributesForAttributedStringRepresentation() const;
    // What text inside the element is formatted with: the element's own
    // formatting, without its attachment.
    AttributeDictionaryPtr textAttributes() const;
    // Where the element's dictionaries are shared with those of the same
    // formatting; children take their parent's. None makes a dictionary each time.
    void setDictionaryPool(std::shared_ptr<TEAttributeDictionaryPool> pool) { m_dictionaryPool = std::move(pool); }
    // Where the element's font-family lists are resolved once per reading;
    // children take their parent's. None resolves each list each time.
    void setFontFamilyCache(std::shared_ptr<TEFontFamilyCache> cache) { m_fontFamilyCache = std::move(cache); }
    // None when the element shows nothing (display none, or already output).
    virtual std::optional<MutableAttributedString> attributedString();
    // Appends what attributedString() would answer straight onto `text`, for
    // elements that can without making a string of their own first (text);
    // false when the element cannot, and `text` is untouched.
    virtual bool appendOutputTo(MutableAttributedString&) { return false; }
    // Works out the element's text now, once it has ended, and lets go of its
    // children: what it shows no longer changes, and a large page need not
    // keep its whole tree until its outermost block ends.
    void settleOutput();
    // The settled text, handed over once, or else the text worked out now.
    // NOTE: the settled text is moved out; the reader asks each element for
    // its text only once, when its parent's text is made.
    std::optional<MutableAttributedString> takeOutput();
    bool needsOutput() const;
    bool didOutput() const { return m_didOutput; }
    void setDidOutput(bool output) { m_didOutput = output; }

    // --- Style state -------------------------------------------------------
    const TEFontDescriptor& fontDescriptor() const { return m_fontDescriptor; }
    TEFontDescriptor& fontDescriptor() { return m_fontDescriptor; }
    void setFontDescriptor(TEFontDescriptor descriptor) { m_fontDescriptor = std::move(descriptor); }
    const TEParagraphStyle& paragraphStyle() const { return m_paragraphStyle; }
    TEParagraphStyle& paragraphStyle() { return m_paragraphStyle; }
    void setParagraphStyle(TEParagraphStyle style) { m_paragraphStyle = std::move(style); }

    const TETextAttachmentPtr& textAttachment() const { return m_textAttachment; }
    // The attachment takes the element's vertical alignment, link and size.
    void setTextAttachment(TETextAttachmentPtr attachment);
    TEVerticalAlignment textAttachmentAlignment() const { return m_textAttachmentAlignment; }

    // Null outside links.
    const URL* link() const { return m_link && m_link->url ? &*m_link->url : nullptr; }
    // Every link gets a new identifier shared by all its runs. The address
    // is the link as the document wrote it, when it needed no base to name
    // its target: the text keeps it so, not as the URL escapes it.
    void setLink(std::optional<URL> link, std::optional<std::string> address = std::nullopt);
    const std::string& linkGUID() const;
    const std::optional<std::u16string>& anchorName() const { return marks().anchorName; }
    void setAnchorName(std::optional<std::u16string> name) { changedMarks().anchorName = std::move(name); }

    const std::optional<Color>& textColor() const { return m_textColor; }
    // A colour that differs from the current one is no longer inherited.
    void setTextColor(std::optional<Color> color);
    bool isColorInherited() const { return m_isColorInherited; }
    void setColorInherited(bool inherited) { m_isColorInherited = inherited; }
    const std::optional<Color>& backgroundColor() const { return m_backgroundColor; }

    int headerLevel() const { return m_headerLevel; }
    // The name of the paragraph's style in the document's style sheet
    // ("data-style"), inherited by everything inside the paragraph.
    const std::optional<std::u16string>& paragraphStyleName() const { return marks().paragraphStyleName; }
    // A word processor's shading of the paragraph and lines around it, as
    // the page keeps them; empty for none.
    const std::u16string& paragraphShading() const { return marks().paragraphShading; }
    const std::u16string& paragraphBorders() const { return marks().paragraphBorders; }
    const std::u16string& paragraphFrame() const { return marks().paragraphFrame; }
    // The name of the run's character style ("data-character-style"),
    // inherited by everything inside the element.
    const std::optional<std::u16string>& characterStyleName() const { return marks().characterStyleName; }
    void setHeaderLevel(int level) { m_headerLevel = level; }
    virtual TEHTMLElementDisplayStyle displayStyle() const;
    void setDisplayStyle(TEHTMLElementDisplayStyle style) { m_displayStyle = style; }
    TEHTMLElementFloatStyle floatStyle() const { return m_floatStyle; }
    // Unset means the parent's value, or normal at the root.
    TEHTMLElementFontVariant fontVariant() const;
    // Unset (0) means the parent's value.
    double currentTextSize() const;
    void setCurrentTextSize(double size) { m_currentTextSize = size; }
    double textScale() const { return m_textScale; }
    void setTextScale(double scale) { m_textScale = scale; }
    Size size() const { return m_size; }
    const TEEdgeInsets& margins() const { return m_margins; }
    const TEEdgeInsets& padding() const { return m_padding; }
    double listIndent() const { return m_listIndent; }
    const CSSStyleDictionary& styles() const;
    const std::u16string& beforeContent() const { return m_beforeContent; }
    bool strikeOut() const { return m_strikeOut; }
    int underlineStyle() const { return m_underlineStyle; }
    int superscriptStyle() const { return m_superscriptStyle; }
    double letterSpacing() const { return m_letterSpacing; }
    bool containsAppleConvertedSpace() const { return m_containsAppleConvertedSpace; }

    // The HTML attributes an element never carries into its text.
    static const std::vector<std::string>& attributesToIgnoreForCustomAttributesAttribute();

protected:
    // The own text of elements that do not output their children (text, line
    // breaks, rules, attachments); none for elements that do.
    virtual std::optional<MutableAttributedString> leafOutput() { return std::nullopt; }
    // The paragraph end and list rules that follow the children's text.
    void finishBlockOutput(MutableAttributedString& text) const;
    // The font and colour a "data-end-font" of the element gives the paragraph end
    // that `text` ends with, where the page keeps one of its own.
    void giveParagraphEndItsOwnFont(MutableAttributedString& text) const;
    bool isInsideList() const;
    TEEdgeInsets& mutableMargins() { return m_margins; }
    // None when the element makes a dictionary each time.
    TEAttributeDictionaryPool* dictionaryPool() const { return m_dictionaryPool.get(); }
    const std::vector<CSSShadow>& shadows() const { return m_shadows; }

    TETextAttachmentPtr m_textAttachment;

private:
    // The handlers of the CSS properties, one per property.
    friend struct TEHTMLElementStyleHandlers;

    // What the children add to the element's text, as far as it is known
    // before it is made: the settled children and the character data.
    // The children that add to the element's text: elements not hidden.
    std::size_t countOfShownChildren() const;
    std::size_t knownLengthOfChildrenOutput() const;
    AttributeDictionaryPtr formattingAttributes(bool withAttachment) const;
    // The element's attributes, made anew; the attachment's only when asked.
    AttributeDictionaryPtr makeAttributes(bool withAttachment) const;
    void addScriptMarks(std::vector<AttributeDictionary::Entry>& entries) const;
    // The bytes of everything makeAttributes() is made from.
    void addFormattingKey(TEFormattingKey& key) const;

    // "font-family": the first name that gives a font of that family, or a
    // generic family, settles it.
    void applyFontFamily(std::span<const std::u16string> names);
    // The matching itself; false when the outcome took the parent's family
    // ("inherit") and so holds for this element only.
    bool resolveFontFamily(std::span<const std::u16string> names);
    // Borders, margins, padding and the text block they may call for: these
    // read several properties together.
    // A shared dictionary brings what its margins and padding came to before
    // (null for a dictionary read for this element only).
    void applyBoxStyles(const CSSStyleDictionary& styles, std::u16string_view borderWidth,
                        std::u16string_view borderRadius, TEEdgeInsetsCache* edgeInsets);

    // The link an element is in: its address, as the text keeps it, and the
    // identifier all its runs share.
    struct LinkMark {
        std::optional<URL> url;
        std::string target;
        std::string guid;
    };

    TEFontDescriptor m_fontDescriptor;
    TEParagraphStyle m_paragraphStyle;
    std::shared_ptr<TEAttributeDictionaryPool> m_dictionaryPool;
    std::shared_ptr<TEFontFamilyCache> m_fontFamilyCache;
    // Shared with the children, which all carry it: a URL is large, and an
    // element small enough is far cheaper to make. Null until a link is set.
    std::shared_ptr<const LinkMark> m_link;
    std::optional<Color> m_textColor;
    std::optional<Color> m_backgroundColor;
    std::optional<Color> m_backgroundStrokeColor;
    double m_backgroundStrokeWidth = 0;
    double m_backgroundCornerRadius = 0;
    std::u16string m_beforeContent;
    std::vector<CSSShadow> m_shadows;
    // The small settings together, leaving no gaps between them: every tag
    // and run of text makes an element, and one small enough is far
    // cheaper to make.
    TEVerticalAlignment m_textAttachmentAlignment = TEVerticalAlignment::Baseline;
    int m_underlineStyle = 0;
    int m_superscriptStyle = 0;
    int m_headerLevel = 0;
    int m_fontSizeOffset = 0;
    TEHTMLElementDisplayStyle m_displayStyle = TEHTMLElementDisplayStyle::Inline;
    TEHTMLElementFloatStyle m_floatStyle = TEHTMLElementFloatStyle::None;
    TEHTMLElementFontVariant m_fontVariant = TEHTMLElementFontVariant::Inherit;
    bool m_strikeOut = false;
    bool m_isColorInherited = false;
    bool m_preserveNewlines = false;
    bool m_containsAppleConvertedSpace = false;
    bool m_didOutput = false;
    // While the element's own text is made: the dictionary its text children
    // share, looked up for the first of them.
    bool m_readingChildrenText = false;
    // Whether the element's text has been settled, into m_settledOutput
    // (none when it shows nothing).
    bool m_settled = false;
    double m_textScale = 1.0;
    Size m_size;
    // Null until styles are applied.
    std::shared_ptr<const CSSStyleDictionary> m_styles;
    mutable AttributeDictionaryPtr m_childrenTextAttributes;
    std::optional<MutableAttributedString> m_settledOutput;
    TEEdgeInsets m_margins;
    TEEdgeInsets m_padding;
    double m_listIndent = 0;
    double m_currentTextSize = 0;
    double m_letterSpacing = 0;
    // What word processors mark runs with: the languages ("lang" and
    // "data-east-asian-lang"), "spellcheck=false", capitals
    // ("text-transform") and outlined letters ("-webkit-text-stroke-width").
    // All of it is inherited, as HTML and CSS inherit it.
    struct CharacterMarks {
        std::u16string language;
        std::u16string eastAsianLanguage;
        bool noProofing = false;
        bool capitals = false;
        bool outline = false;
        std::optional<Color> underlineColor;
        // "data-underline=double-wave": the page draws one wave where the
        // document has two.
        bool doubleWave = false;
        // "data-underline=words": the page underlines the spaces between
        // words the document leaves bare.
        bool wordsOnly = false;
        // A stroke's own width ("data-stroke-width"), its colour
        // ("-webkit-text-stroke-color"), and a word processor's kerning
        // setting ("data-kerning").
        std::optional<double> strokeWidth;
        std::optional<Color> strokeColor;
        std::optional<int> kerning;
        // A word processor's shading ("data-shading"), as TEShading's text.
        std::u16string shading;
        // Text a word processor keeps but does not show ("data-hidden").
        bool hidden = false;
        // A doubled strike-through line ("data-strike=double"), and text
        // raised or lowered by half points ("data-baseline-shift"), which
        // the page's own tools do not make.
        bool doubleStrike = false;
        int baselineShift = 0;
        // The distance of a superscript or subscript read from a file
        // ("data-superscript-shift"), in half points.
        int superscriptShift = 0;
        // The instructions of the word-processor fields the text is the
        // result of ("data-field"), one a line.
        std::u16string fieldInstruction;
        // The word-processor bookmark that holds the text ("data-bookmark").
        std::u16string bookmark;
        // The tags of the comments whose range holds the text ("data-comment").
        std::u16string commentRanges;
    };
    // What few elements set and everything inside them inherits: the name
    // of an anchor, and what a word processor marks paragraphs and runs with
    // beyond what HTML and CSS style.
    struct Marks {
        std::optional<std::u16string> anchorName;
        std::optional<std::u16string> paragraphStyleName;
        // The section break that ends the paragraph ("data-section"), with
        // its settings as the page keeps them.
        std::optional<std::u16string> sectionBreak;
        // A word processor's shading of the paragraph ("data-paragraph-shading"),
        // as TEShading's text; its look is the element's background picture.
        std::u16string paragraphShading;
        // A word processor's lines around the paragraph ("data-paragraph-borders"),
        // as TEParagraphBorders's text.
        std::u16string paragraphBorders;
        // A word processor's frame that places the paragraph
        // ("data-paragraph-frame"), as TEParagraphFrame's text.
        std::u16string paragraphFrame;
        std::optional<std::u16string> characterStyleName;
        CharacterMarks character;
        // A right-to-left run ("dir" of a span; on a block it is the
        // paragraph's direction) and the fonts and languages of its
        // complex-script and East Asian letters, in the order of
        // kTEScriptAttributes.
        bool rightToLeftRun = false;
        std::array<std::u16string, std::size(kTEScriptAttributes)> scriptMarks;
    };
    const Marks& marks() const;
    // The element's marks to change: copied first while they are shared.
    Marks& changedMarks();
    // Shared with the parent, and with the children, until one of them sets
    // a mark of its own: few elements of a page have any, every tag and run
    // of text makes an element, and copying the marks into each was a large
    // part of making it. None means no marks.
    std::shared_ptr<Marks> m_marks;
};

} // namespace folio
