#pragma once

namespace folio {

class CommandLine;

// "folio" without arguments (the document browser window) and
// "folio open FILE" (FILE in its editor window); both run until their
// window is closed.
void registerDesktopCommands(CommandLine& commandLine);

} // namespace folio
