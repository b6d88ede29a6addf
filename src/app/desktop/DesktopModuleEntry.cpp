#include "app/CommandLine.h"
#include "app/DesktopModule.h"
#include "app/desktop/DesktopCommands.h"
#include "platform/gtk/EngineWebServices.h"

#include <iostream>

namespace folio {

namespace {

class EngineDesktopModule final : public DesktopModule {
public:
    WebServices& webServices() override { return EngineWebServices::instance(); }

    int runCommand(const std::string& name, const std::vector<std::string>& arguments) override
    {
        CommandLine commandLine(std::cout, std::cerr);
        registerDesktopCommands(commandLine);
        std::vector<std::string> command;
        if (!name.empty())
            command.push_back(name);
        command.insert(command.end(), arguments.begin(), arguments.end());
        return commandLine.run(command);
    }
};

} // namespace

} // namespace folio

extern "C" __attribute__((visibility("default"))) folio::DesktopModule* folioDesktopModule()
{
    static folio::EngineDesktopModule module;
    return &module;
}
