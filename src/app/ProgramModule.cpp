#include "app/ProgramModule.h"

#include <dlfcn.h>

#include <filesystem>

namespace folio {

namespace {
constexpr const char* kProgramModuleDomain = "ProgramModule";
constexpr int kProgramModuleNotLoaded = 1;
} // namespace

Result<void*> entryPointOfProgramModule(const std::string& fileName, const std::string& entryPoint)
{
    std::error_code error;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return Error{kProgramModuleDomain, kProgramModuleNotLoaded, error.message()};
    std::string path = (program.parent_path() / fileName).string();
    // RTLD_LOCAL keeps the module's symbols out of later lookups.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return Error{kProgramModuleDomain, kProgramModuleNotLoaded, dlerror()};
    void* entry = dlsym(handle, entryPoint.c_str());
    if (!entry)
        return Error{kProgramModuleDomain, kProgramModuleNotLoaded, path + " has no " + entryPoint};
    return entry;
}

} // namespace folio
