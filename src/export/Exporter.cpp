#include "export/Exporter.h"

#include "platform/foundation/FileManager.h"
#include "platform/foundation/RunLoop.h"

namespace folio {

Result<std::string> Exporter::exportFile(const ExportSource& source, ExportRequest request, double timeoutSeconds)
{
    std::optional<Result<std::string>> outcome;
    Result<std::shared_ptr<ExportTask>> task =
        start(source, std::move(request), [&outcome](Result<std::string> result) { outcome = std::move(result); });
    if (!task)
        return task.error();
    if (!outcome && !RunLoop::main().runUntil([&outcome] { return outcome.has_value(); }, timeoutSeconds))
        return Error{kErrorDomain, TimedOut, "The " + std::string(format()) + " export of " + source.path()
                                                 + " did not finish in time"};
    return std::move(*outcome);
}

Result<std::shared_ptr<ExportTask>> Exporter::finishWithContents(Result<std::string> contents,
                                                                 const std::string& outputPath,
                                                                 Completion& completion)
{
    if (!contents)
        return contents.error();
    if (Status written = FileManager::writeAtomically(outputPath, *contents); !written)
        return written.error();
    completion(outputPath);
    return std::make_shared<ExportTask>();
}

} // namespace folio
