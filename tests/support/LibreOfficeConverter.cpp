#include "support/LibreOfficeConverter.h"

#include "platform/foundation/Digest.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sys/file.h>
#include <unistd.h>

namespace folio::test {
namespace {

namespace fs = std::filesystem;

// At every start LibreOffice draws a self-check of its graphics into large
// scratch bitmaps, each taken from the system and handed back at once; with
// the freed memory kept in the process a start takes about a third of the time.
constexpr const char* kKeepFreedMemory = "GLIBC_TUNABLES=glibc.malloc.mmap_max=0:glibc.malloc.trim_threshold=4000000000";

std::string quoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::optional<std::string> contentsOf(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

const fs::path& sharedFolder()
{
    static const fs::path folder = [] {
        const char* given = std::getenv("FOLIO_TEST_LIBREOFFICE_FOLDER");
        const char* home = std::getenv("FOLIO_HOME");
        fs::path path = given && *given ? fs::path(given)
            : home && *home             ? fs::path(home) / "libreoffice"
                                        : fs::temp_directory_path() / ("folio-libreoffice-" + std::to_string(getpid()));
        std::error_code ignored;
        fs::create_directories(path / "conversions", ignored);
        return path;
    }();
    return folder;
}

// A folder of the shared one that no other process uses.
fs::path privateFolder(const std::string& prefix)
{
    std::string pattern = (sharedFolder() / (prefix + "-XXXXXX")).string();
    return mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
}

int runLibreOffice(const fs::path& profile, const std::string& filter, const std::vector<std::string>& files,
                   const fs::path& outputFolder, std::string& command)
{
    command = std::string(kKeepFreedMemory) + " soffice -env:UserInstallation=" + quoted("file://" + profile.string()) +
              " --headless --convert-to " + quoted(filter) + " --outdir " + quoted(outputFolder.string());
    for (const std::string& file : files)
        command += " " + quoted(file);
    command += " >/dev/null 2>&1";
    return std::system(command.c_str());
}

// The profile LibreOffice made on its first start, made once for all the
// processes that share the folder: the first to come makes it while the others
// wait. None when LibreOffice could not make one; each conversion then starts
// in a new profile, which is slower but right.
std::optional<fs::path> madeProfile()
{
    static const std::optional<fs::path> made = []() -> std::optional<fs::path> {
        const fs::path profile = sharedFolder() / "profile";
        const int lock = open((sharedFolder() / "profile.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (lock < 0 || flock(lock, LOCK_EX) != 0) {
            if (lock >= 0)
                close(lock);
            return std::nullopt;
        }
        std::error_code ignored;
        if (!fs::exists(profile)) {
            const fs::path work = privateFolder("profile");
            if (!work.empty()) {
                std::ofstream(work / "first.rtf") << "{\\rtf1\\ansi First\\par}";
                std::string command;
                if (runLibreOffice(work / "profile", "txt", {(work / "first.rtf").string()}, work / "out", command) == 0 &&
                    fs::exists(work / "out" / "first.txt"))
                    fs::rename(work / "profile", profile, ignored);
                fs::remove_all(work, ignored);
            }
        }
        close(lock);
        return fs::exists(profile) ? std::optional<fs::path>(profile) : std::nullopt;
    }();
    return made;
}

std::string hexadecimal(const std::vector<std::uint8_t>& bytes)
{
    std::string text;
    for (std::uint8_t byte : bytes) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", byte);
        text += digits;
    }
    return text;
}

// Where the conversion of these bytes, under this name, with this filter is
// kept once made. The name is part of it, for a converter may write it into
// what it makes.
fs::path keptConversion(const std::string& filter, const fs::path& file, const std::string& bytes,
                        const std::string& extension)
{
    const std::string key = filter + '\0' + file.filename().string() + '\0' + bytes;
    const auto digest = Digest::sha1({reinterpret_cast<const std::uint8_t*>(key.data()), key.size()});
    return sharedFolder() / "conversions" / (hexadecimal(digest) + "." + extension);
}

// Copies the file to its place through a name of its own, so that a reader
// finds the whole file there or none.
bool placeWhole(const fs::path& from, const fs::path& to, const fs::path& privateName)
{
    std::error_code error;
    fs::copy_file(from, privateName, fs::copy_options::overwrite_existing, error);
    if (!error)
        fs::rename(privateName, to, error);
    return !error;
}

} // namespace

bool LibreOfficeConverter::isInstalled()
{
    return std::system("command -v soffice >/dev/null 2>&1") == 0;
}

LibreOfficeConversion LibreOfficeConverter::convert(const std::vector<std::string>& files, const std::string& filter,
                                                    const std::string& outputFolder)
{
    LibreOfficeConversion conversion;
    std::error_code ignored;
    fs::create_directories(outputFolder, ignored);
    const std::string extension = filter.substr(0, filter.find(':'));
    struct Waiting {
        std::string file;
        fs::path target;
        fs::path kept;
    };
    std::vector<Waiting> waiting;
    for (const std::string& file : files) {
        const fs::path target = fs::path(outputFolder) / (fs::path(file).stem().string() + "." + extension);
        conversion.outputs.push_back(target.string());
        fs::remove(target, ignored);
        const std::optional<std::string> bytes = contentsOf(file);
        if (!bytes) {
            conversion.failure += "cannot read " + file + "\n";
            continue;
        }
        const fs::path kept = keptConversion(filter, file, *bytes, extension);
        fs::copy_file(kept, target, ignored);
        if (!fs::exists(target))
            waiting.push_back({file, target, kept});
    }
    if (waiting.empty())
        return conversion;

    const fs::path work = privateFolder("conversion");
    if (work.empty()) {
        conversion.failure += "cannot make a folder in " + sharedFolder().string() + "\n";
        return conversion;
    }
    if (const std::optional<fs::path> profile = madeProfile())
        fs::copy(*profile, work / "profile", fs::copy_options::recursive | fs::copy_options::copy_symlinks, ignored);
    std::vector<std::string> inputs;
    for (const Waiting& each : waiting)
        inputs.push_back(each.file);
    std::string command;
    const int status = runLibreOffice(work / "profile", filter, inputs, work / "out", command);
    for (const Waiting& each : waiting) {
        const fs::path made = work / "out" / each.target.filename();
        if (status != 0 || !fs::exists(made)) {
            conversion.failure += "LibreOffice did not convert " + each.file + ": " + command + "\n";
            continue;
        }
        placeWhole(made, each.kept, work / "kept");
        if (!placeWhole(made, each.target, fs::path(outputFolder) / (".converting-" + work.filename().string())))
            conversion.failure += "cannot write " + each.target.string() + "\n";
    }
    fs::remove_all(work, ignored);
    return conversion;
}

std::string LibreOfficeConverter::converted(const std::string& file, const std::string& filter, const std::string& outputFolder)
{
    const LibreOfficeConversion conversion = convert({file}, filter, outputFolder);
    if (!conversion.succeeded()) {
        ADD_FAILURE() << conversion.failure;
        return {};
    }
    return conversion.outputs.front();
}

} // namespace folio::test
