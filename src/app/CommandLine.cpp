#include "app/CommandLine.h"

#include <ostream>


namespace folio {

namespace {

struct CommandDescription {
    const char* name;
    const char* usage;
    const char* summary;
};

constexpr CommandDescription kCommands[] = {
    {"new", "folio new KIND PATH", "create a document (KIND: rtf, qvtext, qvoutline, md, txt, tex)"},
    {"export", "folio export FILE --format FMT [--output PATH|-]", "export (FMT: pdf, epub, rtfd, html, txt, png)"},
    {"preview", "folio preview FILE --output PNG", "write the document's preview picture"},
    {"copy", "folio copy FILE --as text|html", "print the copy-out text on standard output"},
    {"open", "folio open FILE", "open FILE in the editor of its kind"},
};

} // namespace

CommandLine::CommandLine(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}

void CommandLine::registerCommand(const std::string& name, Handler handler)
{
    m_handlers[name] = std::move(handler);
}

void CommandLine::printHelp() const
{
    m_out << "Usage: folio [COMMAND ARGS]\n"
             "Without a command, opens the document browser"
          << (m_handlers.count("") ? "" : " (not available in this build)") << ".\n\nCommands:\n";
    for (const auto& command : kCommands) {
        m_out << "  " << command.usage << "\n      " << command.summary;
        if (!m_handlers.count(command.name))
            m_out << " (not available in this build)";
        m_out << "\n";
    }
    m_out << "  folio --help | --version\n";
}

int CommandLine::run(const std::vector<std::string>& arguments)
{
    if (arguments.empty()) {
        auto browser = m_handlers.find("");
        if (browser != m_handlers.end())
            return browser->second({});
        m_err << "folio: the document browser is not available in this build; see folio --help\n";
        return kFailure;
    }
    const std::string& command = arguments.front();
    if (command == "--help" || command == "-h" || command == "help") {
        printHelp();
        return kSuccess;
    }
    if (command == "--version") {
        m_out << "folio " << FOLIO_VERSION << "\n";
        return kSuccess;
    }
    auto handler = m_handlers.find(command);
    if (handler == m_handlers.end()) {
        for (const auto& known : kCommands) {
            if (command == known.name) {
                m_err << "folio: '" << command << "' is not available in this build\n";
                return kFailure;
            }
        }
        m_err << "folio: unknown command '" << command << "'; see folio --help\n";
        return kUsageError;
    }
    return handler->second(std::vector<std::string>(arguments.begin() + 1, arguments.end()));
}

} // namespace folio
