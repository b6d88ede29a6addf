#pragma once

#include "platform/text/PlatformParagraphStyle.h"
#include "platform/ui/View.h"

#include <memory>
#include <optional>
#include <string>

namespace folio {

class Font;

class Label : public View {
public:
    using View::View;

    const std::u16string& text() const { return m_text; }
    // A new text is drawn at once: the label asks to be displayed again.
    void setText(std::u16string text)
    {
        if (text == m_text)
            return;
        m_text = std::move(text);
        setNeedsDisplay();
    }
    const std::shared_ptr<const Font>& font() const { return m_font; }
    // A new face, colour or alignment is drawn at once too.
    void setFont(std::shared_ptr<const Font> font)
    {
        m_font = std::move(font);
        setNeedsDisplay();
    }
    const std::optional<Color>& textColor() const { return m_textColor; }
    void setTextColor(std::optional<Color> color)
    {
        m_textColor = std::move(color);
        setNeedsDisplay();
    }
    TextAlignment textAlignment() const { return m_alignment; }
    void setTextAlignment(TextAlignment alignment)
    {
        m_alignment = alignment;
        setNeedsDisplay();
    }
    // Zero means as many lines as the text needs.
    int numberOfLines() const { return m_numberOfLines; }
    void setNumberOfLines(int lines) { m_numberOfLines = lines < 0 ? 0 : lines; }

private:
    std::u16string m_text;
    std::shared_ptr<const Font> m_font;
    std::optional<Color> m_textColor;
    TextAlignment m_alignment = TextAlignment::Natural;
    int m_numberOfLines = 1;
};

} // namespace folio
