#include "platform/zip/LibzipContainer.h"

namespace folio {

// Whoever links this library gets libzip in process; the program does not
// link it and answers from the module it opens instead.
ZipServices& ZipServices::shared()
{
    return EngineZipServices::instance();
}

} // namespace folio

// The anchor that pulls this definition out of the archive (see
// folio_link_web_services in cmake/FolioTargets.cmake).
extern "C" void folioLinkedZipServices() {}
