#pragma once

#include <functional>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

namespace folio {

// The `folio` command line: the document browser's actions as commands.
// Commands register a handler; those not registered answer that they are not
// available in this build.
class CommandLine {
public:
    using Handler = std::function<int(const std::vector<std::string>& arguments)>;

    static constexpr int kSuccess = 0;
    static constexpr int kFailure = 1;
    static constexpr int kUsageError = 2;

    CommandLine(std::ostream& out, std::ostream& err);

    void registerCommand(const std::string& name, Handler handler);
    int run(const std::vector<std::string>& arguments);

    void printHelp() const;

private:
    std::ostream& m_out;
    std::ostream& m_err;
    std::map<std::string, Handler> m_handlers;
};

} // namespace folio
