#include "platform/media/EngineMediaServices.h"

namespace folio {

// Whoever links this library gets the media libraries in process; the program
// does not link it and answers from the desktop module it opens instead.
MediaServices& MediaServices::shared()
{
    return EngineMediaServices::instance();
}

} // namespace folio

// The anchor that pulls this definition out of the archive (see
// folio_link_web_services in cmake/FolioTargets.cmake).
extern "C" void folioLinkedMediaServices() {}
