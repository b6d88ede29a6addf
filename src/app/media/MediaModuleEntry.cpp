#include "platform/media/EngineMediaServices.h"

// The module's one exported function: the media services the program asks for.
extern "C" __attribute__((visibility("default"))) folio::MediaServices* folioMediaServices()
{
    return &folio::EngineMediaServices::instance();
}
