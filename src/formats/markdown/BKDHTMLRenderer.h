#pragma once

#include "formats/markdown/BKDRenderer.h"

#include <cstdint>

namespace folio {

// The converter's HTML: the common HTML of Markdown, except that block code, block
// quotes and tables carry inline styles (the HTML is pasted and exported without a style
// sheet) and every other table row is shaded.
class BKDHTMLRenderer final : public BKDRenderer {
public:
    BKDHTMLRenderer(unsigned flags, int nestingLevel);

protected:
    void blockCode(std::string& ob, std::string_view text, std::string_view language) override;
    void blockQuote(std::string& ob, std::string_view content) override;
    void header(std::string& ob, std::string_view content, int level) override;
    void horizontalRule(std::string& ob) override;
    void list(std::string& ob, std::string_view content, bool ordered) override;
    void listItem(std::string& ob, std::string_view content) override;
    void paragraph(std::string& ob, std::string_view content) override;
    void table(std::string& ob, std::string_view content) override;
    void tableHeader(std::string& ob, std::string_view content) override;
    void tableBody(std::string& ob, std::string_view content) override;
    void tableRow(std::string& ob, std::string_view content) override;
    void tableCell(std::string& ob, std::string_view content, unsigned cellFlags) override;
    void footnotes(std::string& ob, std::string_view content) override;
    void footnoteDefinition(std::string& ob, std::string_view content, unsigned number) override;
    bool autolink(std::string& ob, std::string_view link, BKDAutolinkKind kind) override;
    bool span(std::string& ob, std::string_view content, BKDSpanKind kind) override;
    bool image(std::string& ob, std::string_view link, std::string_view title, std::string_view alt) override;
    void codeSpan(std::string& ob, std::string_view text) override;
    void lineBreak(std::string& ob) override;
    void link(std::string& ob, std::string_view content, std::string_view link, std::string_view title) override;
    void footnoteReference(std::string& ob, unsigned number) override;
    void normalText(std::string& ob, std::string_view text) override;

private:
    // Each line feed inside the paragraph becomes a line break.
    void writeHardWrappedLines(std::string& ob, std::string_view content) const;
    bool usesXHTML() const { return flags() & kRendererUseXHTML; }

    // Rows of the table being rendered, header row included, counted from 0: even rows
    // are shaded. The count belongs to this conversion alone, so conversions running at
    // the same time on other threads cannot shift each other's shading.
    std::uint32_t m_rowIndex = 0;
};

} // namespace folio
