#include "app/NewDocumentCommand.h"

#include "app/CommandLine.h"
#include "shell/AppController.h"
#include "documents/DocumentKind.h"

#include <ostream>

namespace folio {

int runNewDocumentCommand(const std::vector<std::string>& arguments, std::ostream&, std::ostream& err)
{
    if (arguments.size() != 2) {
        err << "folio: usage: folio new KIND PATH (KIND: rtf, qvtext, qvoutline, md, txt, tex)\n";
        return CommandLine::kUsageError;
    }
    std::optional<DocumentKind> kind = documentKindForName(arguments[0]);
    if (!kind) {
        err << "folio: unknown kind '" << arguments[0] << "' (rtf, qvtext, qvoutline, md, txt, tex)\n";
        return CommandLine::kUsageError;
    }
    const std::string& path = arguments[1];
    if (!pathMatchesKind(path, *kind)) {
        err << "folio: " << path << " does not end in the extension of a " << arguments[0] << " document\n";
        return CommandLine::kUsageError;
    }
    AppController* controller = AppController::controller();
    std::optional<AppController> own;
    if (!controller)
        controller = &own.emplace();
    Status created = controller->createNewDocument(*kind, path);
    if (!created) {
        err << "folio: " << created.error().message << "\n";
        return CommandLine::kFailure;
    }
    return CommandLine::kSuccess;
}

} // namespace folio
