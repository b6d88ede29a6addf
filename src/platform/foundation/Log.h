#pragma once

#include <atomic>
#include <functional>
#include <string_view>

namespace folio {

// The engine's log hook. Nothing installs a handler by default, so engine
// messages are dropped unless an embedder (or a test) asks for them.
enum TELogLevel : int {
    TELogLevelError = 3,
    TELogLevelWarning = 4,
    TELogLevelInfo = 6,
    TELogLevelDebug = 7,
};

struct TELogMessage {
    int level = TELogLevelInfo;
    std::string_view file;
    unsigned line = 0;
    std::string_view function;
    std::string_view text;
};

// Where a message was logged from. Built on the compiler builtins rather than
// std::source_location, which the clang used for fuzzing cannot provide with
// this standard library.
struct TELogLocation {
    const char* file = "";
    unsigned line = 0;
    const char* function = "";

    static TELogLocation current(const char* file = __builtin_FILE(), unsigned line = __builtin_LINE(),
                                 const char* function = __builtin_FUNCTION())
    {
        return TELogLocation{file, line, function};
    }
};

using TELogHandler = std::function<void(const TELogMessage&)>;

// Messages of a level above this are not handed on.
extern std::atomic<int> TECurrentLogLevel;

// Installs (or, with an empty handler, removes) the one global handler.
void setTELogHandler(TELogHandler handler);
bool hasTELogHandler();

// Hands the message, with where it was logged from, to the handler when one
// is installed and the level is at most TECurrentLogLevel.
void TELog(int level, std::string_view text, TELogLocation location = TELogLocation::current());

} // namespace folio
