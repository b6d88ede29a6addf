#pragma once

#include "tools/inspectors/ZoomInspectorSlice.h"

namespace folio {

// The zoom slice of the Markdown editor: the inspected document's scale, in
// steps of 0.1 between 0.25 and 3.0; the document passes it to its editor.
class DocumentContentsZoomInspectorSliceMD : public ZoomInspectorSlice {
public:
    static constexpr double kMinimumScale = 0.25;
    static constexpr double kMaximumScale = 3.0;

    void updateInterfaceFromInspectedObjects(int reason) override;
    void zoomDecrease() override { step(-1); }
    void zoomIncrease() override { step(1); }
    void zoomChanged() override;

private:
    double currentScale() const;
    void step(double tenths);
    void setScale(double scale);
};

} // namespace folio
