#include "platform/drawing/EngineDrawingServices.h"

// The module's one exported function: the drawing services the program asks for.
extern "C" __attribute__((visibility("default"))) folio::DrawingServices* folioDrawingServices()
{
    return &folio::EngineDrawingServices::instance();
}
