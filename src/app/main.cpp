#include "app/CommandLine.h"
#include "app/DesktopModule.h"
#include "app/ExportCommands.h"
#include "app/NewDocumentCommand.h"
#include "export/StagingFolder.h"
#include "platform/foundation/FreedMemory.h"
#include "shell/AppController.h"

#include <iostream>

int main(int argc, char** argv)
{
    folio::returnLargeBlocksWhenFreed();
    // The application delegate lives for the whole process; commands reach it
    // as the shared controller.
    folio::AppController appController;
    // An export that crashed or was killed left its staging folder behind.
    folio::StagingFolder::removeAbandoned();
    folio::CommandLine commandLine(std::cout, std::cerr);
    commandLine.registerCommand("new", [](const std::vector<std::string>& arguments) {
        return folio::runNewDocumentCommand(arguments, std::cout, std::cerr);
    });
    folio::registerExportCommands(commandLine);
    folio::registerDesktopModuleCommands(commandLine);
    return commandLine.run(std::vector<std::string>(argv + 1, argv + argc));
}
