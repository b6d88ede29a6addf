#include "platform/gtk/EngineWebServices.h"

namespace folio {

// Whoever links this library gets the engine in process; the program does not
// link it and answers from the module it opens instead.
WebServices& WebServices::shared()
{
    return EngineWebServices::instance();
}

} // namespace folio

// The anchor that pulls this definition out of the archive (see
// folio_link_web_services in cmake/FolioTargets.cmake).
extern "C" void folioLinkedWebServices() {}
