#pragma once

namespace folio {

// The columns a section's text is laid in on paper.
struct PDFColumns {
    int count = 1;
    // Points between two columns.
    double gap = 0;
};

} // namespace folio
