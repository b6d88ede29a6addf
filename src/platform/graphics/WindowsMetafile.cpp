#include "platform/graphics/WindowsMetafile.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

extern char** environ;

namespace folio {

namespace {

constexpr auto kConversionTimeLimit = std::chrono::seconds(10);
constexpr int kLargestSide = 4000;

Error metafileError(WindowsMetafile::ErrorCode code, std::string message)
{
    return Error{WindowsMetafile::kErrorDomain, code, std::move(message)};
}

// A folder of its own for one conversion, gone when it ends.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "folio-wmf-XXXXXX").string();
        if (mkdtemp(pattern.data()))
            m_path = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ignored);
    }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

} // namespace

Result<std::vector<std::uint8_t>> WindowsMetafile::pngData(const std::vector<std::uint8_t>& metafile, Size size)
{
    if (metafile.empty())
        return metafileError(ConversionFailed, "The metafile is empty");
    ScratchFolder folder;
    if (folder.path().empty())
        return metafileError(ConversionFailed, "No temporary folder for the metafile");
    const std::string input = folder.path() + "/picture.wmf";
    const std::string output = folder.path() + "/picture.png";
    {
        std::ofstream file(input, std::ios::binary);
        file.write(reinterpret_cast<const char*>(metafile.data()), static_cast<std::streamsize>(metafile.size()));
        if (!file)
            return metafileError(ConversionFailed, "Cannot write the metafile for its converter");
    }
    auto side = [](double value) { return std::to_string(std::clamp(static_cast<int>(value + 0.5), 1, kLargestSide)); };
    std::string maxWidth = "--maxwidth=" + side(size.width);
    std::string maxHeight = "--maxheight=" + side(size.height);
    std::string type = "png";
    std::string outputSwitch = "-o";
    std::string program = "wmf2gd";
    std::string typeSwitch = "-t";
    std::string aspect = "--maxpect";
    std::string source = input;
    std::string target = output;
    char* arguments[] = {program.data(), typeSwitch.data(), type.data(), maxWidth.data(), maxHeight.data(),
                         aspect.data(),  outputSwitch.data(), target.data(), source.data(), nullptr};

    // The converter's progress goes nowhere.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    int spawned = posix_spawnp(&child, program.c_str(), &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return metafileError(NoConverter, "wmf2gd is not installed (libwmf-bin)");

    // A metafile that keeps the converter busy is given up.
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + kConversionTimeLimit;
    for (;;) {
        pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child)
            break;
        if (done < 0)
            return metafileError(ConversionFailed, "The metafile converter was lost");
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return metafileError(ConversionFailed, "The metafile took too long to draw");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return metafileError(ConversionFailed, "The metafile could not be drawn");
    std::ifstream file(output, std::ios::binary);
    std::vector<std::uint8_t> png((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (png.size() < 8)
        return metafileError(ConversionFailed, "The metafile converter drew nothing");
    return png;
}

} // namespace folio
