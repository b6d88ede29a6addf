#include "platform/drawing/EngineDrawingServices.h"

namespace folio {

// Whoever links this library gets the picture libraries in process; the
// program does not link it and answers from the module it opens instead.
DrawingServices& DrawingServices::shared()
{
    return EngineDrawingServices::instance();
}

} // namespace folio

// The anchor that pulls this definition out of the archive (see
// folio_link_web_services in cmake/FolioTargets.cmake).
extern "C" void folioLinkedDrawingServices() {}
