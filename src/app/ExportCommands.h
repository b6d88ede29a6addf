#pragma once

namespace folio {

class CommandLine;

// "folio export FILE --format pdf|html|txt [--output PATH]",
// "folio preview FILE --output PNG" and "folio copy FILE --as text|html".
// Registers the Markdown converter too, which the exports need.
void registerExportCommands(CommandLine& commandLine);

} // namespace folio
