#pragma once

namespace folio {

// An editor whose text the zoom slice of the web-view editors zooms.
class DocumentViewZooming {
public:
    virtual ~DocumentViewZooming() = default;
    // The new zoom in percent (100 is none).
    virtual void documentViewZoomModified(double percent) = 0;
    // The zoom the text is shown at now, in percent, so that a slice shown
    // later starts from it rather than from 100.
    virtual double documentViewZoomPercent() const = 0;
};

} // namespace folio
