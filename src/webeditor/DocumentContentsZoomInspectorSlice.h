#pragma once

#include "tools/inspectors/ZoomInspectorSlice.h"

#include <optional>

namespace folio {

class DocumentViewZooming;

// The zoom slice of the web-view editors: steps of 10 percentage points
// between 50 % and 350 %, kept in the process-wide text zoom that the
// editors share, and sent to the inspected document's editor.
class DocumentContentsZoomInspectorSlice : public ZoomInspectorSlice {
public:
    static constexpr double kMinimumPercent = 50;
    static constexpr double kMaximumPercent = 350;

    void updateInterfaceFromInspectedObjects(int reason) override;
    void zoomDecrease() override { step(-100); }
    void zoomIncrease() override { step(100); }
    void zoomChanged() override;

    // Rounded to three decimals (halves to even) and kept within the limits.
    static double clampedPercent(double percent);

private:
    void step(double tenthsOfPercent);
    void sendToEditor(double percent);
    DocumentViewZooming* zoomingEditor();
    std::optional<double> editorZoomPercent();
};

} // namespace folio
