#include "tools/inspectors/DocumentContentsZoomInspectorSliceMD.h"

#include "documents/TextDocument.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/TextField.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace folio {

double DocumentContentsZoomInspectorSliceMD::currentScale() const
{
    TextDocument* document = inspectedDocument();
    return document ? document->scale() : 1.0;
}

void DocumentContentsZoomInspectorSliceMD::updateInterfaceFromInspectedObjects(int)
{
    // The percent of the scale as a whole number, as a percent formatter shows it.
    char text[32];
    std::snprintf(text, sizeof text, "%.0f%%", static_cast<double>(static_cast<float>(currentScale())) * 100.0);
    setWellValue(toUtf16(text));
}

void DocumentContentsZoomInspectorSliceMD::step(double tenths)
{
    endEditing();
    setScale(std::round(currentScale() * 10 + tenths) / 10);
}

void DocumentContentsZoomInspectorSliceMD::zoomChanged()
{
    std::optional<double> percent = parsedWellNumber(zoomTextWell()->text());
    if (!percent) {
        updateInterfaceFromInspectedObjects(UpdateReasonDefault);
        return;
    }
    setScale(*percent / 100);
}

void DocumentContentsZoomInspectorSliceMD::setScale(double scale)
{
    double clamped = std::min(std::max(scale, kMinimumScale), kMaximumScale);
    changeInspectedObjects([this, clamped] {
        if (TextDocument* document = inspectedDocument())
            document->setScale(clamped);
    });
}

} // namespace folio
