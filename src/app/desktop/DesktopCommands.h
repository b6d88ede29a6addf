#pragma once

namespace folio {

class CommandLine;

// "folio" without arguments (the document browser window) and
// "folio open FILE" (FILE in its editor window); both run until their
// window is closed. They run inside the desktop module (app/DesktopModule.h).
void registerDesktopCommands(CommandLine& commandLine);

} // namespace folio
