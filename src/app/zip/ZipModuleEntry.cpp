#include "platform/zip/LibzipContainer.h"

// The module's one exported function: the zip services the program asks for.
extern "C" __attribute__((visibility("default"))) folio::ZipServices* folioZipServices()
{
    return &folio::EngineZipServices::instance();
}
