#pragma once

#include "delivery/ExportPreferencesReader.h"
#include "export/Exporter.h"
#include "export/ExportSource.h"

#include <string>

namespace folio::testing_support {

// The whole export of the file at `path` to `output`, waiting for it.
inline Result<std::string> exportFile(Exporter& exporter, const std::string& path, const std::string& output,
                                      UserDefaults* defaults = nullptr, double timeoutSeconds = 60)
{
    ExportRequest request;
    request.outputPath = output;
    return exporter.exportFile(ExportSource(path, std::nullopt, defaults ? ExportPreferencesReader::read(*defaults) : ExportPreferences{}), std::move(request), timeoutSeconds);
}

} // namespace folio::testing_support
