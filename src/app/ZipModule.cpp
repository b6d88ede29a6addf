#include "app/ProgramModule.h"
#include "platform/foundation/ZipArchive.h"
#include "platform/foundation/ZipContainer.h"

namespace folio {

namespace {

// The zip library is built into the module "folio-zip.so" beside the program
// (from src/platform/zip and src/app/zip), so that commands that neither read
// nor write an archive start without loading it.
constexpr const char* kZipModuleFileName = "folio-zip.so";
constexpr const char* kZipModuleEntryPoint = "folioZipServices";

// Every request fails, saying why the module could not be opened.
class UnavailableZipServices final : public ZipServices {
public:
    explicit UnavailableZipServices(Error error) : m_error(std::move(error)) {}
    Result<std::unique_ptr<ZipContainer>> openContainer(Data, const std::string&, Access) override { return m_error; }

private:
    Error m_error;
};

ZipServices& loadZipServices()
{
    Result<void*> entry = entryPointOfProgramModule(kZipModuleFileName, kZipModuleEntryPoint);
    ZipServices* services = entry ? reinterpret_cast<ZipServices* (*)()>(*entry)() : nullptr;
    if (services)
        return *services;
    return *new UnavailableZipServices(Error{DKZipArchive::kErrorDomain, DKZipArchive::OpenFailed,
                                             "zip archives are not available: "
                                                 + (entry ? std::string(kZipModuleFileName) + " answered nothing"
                                                          : entry.error().message)});
}

} // namespace

ZipServices& ZipServices::shared()
{
    // Opened once, also when several threads ask first.
    static ZipServices& services = loadZipServices();
    return services;
}

} // namespace folio
