#pragma once

#include "platform/foundation/Error.h"

#include <string>
#include <thread>
#include <vector>

namespace folio {

class CommandLine;
class WebServices;

// The part of the program that needs WebKit, GTK or poppler: the web
// services and the desktop windows. It is built as the module
// "folio-desktop.so" beside the program (from src/platform/web,
// src/platform/gtk and src/app/desktop) and opened on first use, so that a
// command that shows no page or window starts without loading them. The
// module finds everything else in the program that opened it; speech, text
// recognition, sounds and HTTP requests come from the media module
// (app/MediaModule), opened only when they are first asked for.
class DesktopModule {
public:
    static constexpr const char* kErrorDomain = "DesktopModule";
    enum ErrorCode { NotLoaded = 1 };
    static constexpr const char* kFileName = "folio-desktop.so";
    // The module's one exported function: answers its DesktopModule.
    static constexpr const char* kEntryPoint = "folioDesktopModule";

    virtual ~DesktopModule() = default;

    virtual WebServices& webServices() = 0;
    // Runs a command of the desktop ("" for the document browser, "open"),
    // answering its exit status.
    virtual int runCommand(const std::string& name, const std::vector<std::string>& arguments) = 0;

    // The module, opened on the first call; an error that says why it could
    // not be opened (also on every later call).
    static Result<DesktopModule*> load();
};

// Opens the desktop module on a thread of its own while the caller goes on
// with its work; a later load() waits for it. The thread is joined when the
// returned object goes.
class DesktopModuleLoading {
public:
    DesktopModuleLoading();
    ~DesktopModuleLoading();
    DesktopModuleLoading(const DesktopModuleLoading&) = delete;
    DesktopModuleLoading& operator=(const DesktopModuleLoading&) = delete;

private:
    std::thread m_thread;
};

// Registers the desktop's commands ("" and "open") to run in the module.
void registerDesktopModuleCommands(CommandLine& commandLine);

} // namespace folio

extern "C" folio::DesktopModule* folioDesktopModule();
