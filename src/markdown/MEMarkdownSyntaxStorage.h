#pragma once

#include "markdown/MERestyleTracker.h"
#include "markdown/MESyntaxRules.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/text/TextStorage.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace folio {

class FontCatalog;
class UserDefaults;

// The storage under the Markdown editor's text view. After every edit it
// restyles the paragraphs the edit touched (and the extent of any fenced code
// block the edit opened, closed or moved): first the body style from the
// user's settings, then the rules of the Markdown or TeX table, each adding
// its attributes to what its pattern's first group matches. The result is the
// one a restyle of the whole text would give, yet an edit costs the same in a
// short note and in a book. What it reports as edited is the edited range, the
// whole line at its end, and wherever the restyle changed an attribute.
class MEMarkdownSyntaxStorage : public TextStorage {
public:
    // Settings are read from `defaults` (the user's by default), fonts from
    // `catalog` (the installed fonts by default).
    explicit MEMarkdownSyntaxStorage(UserDefaults* defaults = nullptr, std::shared_ptr<const FontCatalog> catalog = nullptr);

    // Chooses the rule table; it must be set before the first edit, since the
    // table is built once, at the first restyle.
    void setIsTeXSyntax(bool isTeX) { m_isTeXSyntax = isTeX; }
    bool isTeXSyntax() const { return m_isTeXSyntax; }

    // Restyles after a change of attributes only over range.
    void performReplacementsForRange(Range range);
    // The body style and every rule over range, matching only within it.
    void applyStylesToRange(Range range);

    const AttributeDictionaryPtr& bodyAttributes();
    const std::vector<MESyntaxRule>& attributeDictionary();

    // None only when neither the chosen font nor any fallback is installed.
    const std::optional<Font>& bodyFont();
    const Color& bodyForegroundColor();
    // The platform's alignment numbers: 0 left, 1 centre, 2 right, 3 justified, 4 natural.
    std::int64_t bodyTextAlignment();
    double bodyLineSpacing();
    double bodyFirstLineIndent();
    double bodyFontSize();

    // None of the setters restyles text already there; each changes the body
    // style used from the next edit on, and until the whole text is set again
    // an edit restyles only itself and the line at its end.
    void setBodyFont(Font font);
    void setBodyForegroundColor(Color color);
    void setBodyTextAlignment(std::int64_t alignment);
    // Both take the setting's own unit, which is six points.
    void setBodyLineSpacing(double spacing);
    void setBodyFirstLineIndent(double indent);
    void setBodyFontSize(double size);
    // Forgets the body style and the rules made with its font, reads the
    // settings again and restyles the whole text with them.
    void reloadBodyStyle();
    // Zoom belongs to the scaling storage that wraps this one.
    void setScale(double) {}

protected:
    void processEditing() override;

private:
    void restyleAfterEdit(const TextStorageEdit& edit);
    // Restyles paragraphs (whole ones, so no rule match crosses their ends),
    // writing what changed together with `required`.
    void restyleParagraphs(Range paragraphs, Range required);
    // The body style and every rule over whole paragraphs, in a copy.
    MutableAttributedString styledParagraphs(Range paragraphs);
    MERestyleTracker& tracker();
    UserDefaults& defaults() const;
    AttributeValuePtr bodyParagraphStyle();
    void updateBodyAttribute(std::string_view key, AttributeValuePtr value);

    UserDefaults* m_defaults;
    std::shared_ptr<const FontCatalog> m_catalog;
    bool m_isTeXSyntax = false;
    AttributeDictionaryPtr m_bodyAttributes;
    std::optional<std::optional<Font>> m_bodyFont;
    std::optional<Color> m_bodyForegroundColor;
    std::int64_t m_bodyTextAlignment = 0;
    double m_bodyLineSpacing = 0;
    double m_bodyFirstLineIndent = 0;
    double m_bodyFontSize = 0;
    std::optional<std::vector<MESyntaxRule>> m_rules;
    std::optional<MERestyleTracker> m_tracker;
    // Set by the body setters until the whole text is restyled again.
    bool m_bodyChangedSinceRestyle = false;
};

} // namespace folio
