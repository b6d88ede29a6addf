#pragma once

#include "formats/markdown/BKDRenderer.h"

namespace folio {

// The text of a Markdown document without its markup, for copy-out, statistics and the
// word counter. Its output is still HTML-escaped: the converter decodes the entities
// once, after the typographic filter has run.
class BKDPlainTextRenderer final : public BKDRenderer {
public:
    BKDPlainTextRenderer(unsigned flags, int nestingLevel);

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
    static void writeBlock(std::string& ob, std::string_view content);
};

} // namespace folio
