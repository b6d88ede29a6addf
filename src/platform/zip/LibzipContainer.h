#pragma once

#include "platform/foundation/ZipContainer.h"

typedef struct zip zip_t;
typedef struct zip_source zip_source_t;
struct libdeflate_compressor;

namespace folio {

// A zip archive in a libzip memory source. The source outlives the archive,
// so that the bytes libzip writes when the archive is finished can be read
// back from it.
class LibzipContainer final : public ZipContainer {
public:
    static Result<std::unique_ptr<ZipContainer>> open(Data bytes, const std::string& name, ZipServices::Access access);
    ~LibzipContainer() override;

    std::vector<std::string> entryNames() const override;
    Result<Data> readEntry(const std::string& entryName, std::size_t maximumSize) const override;
    Status addFile(const std::string& entryName, std::span<const std::uint8_t> bytes, bool deflated) override;
    Status addFolder(const std::string& name) override;
    Result<Data> finish() override;

private:
    LibzipContainer(zip_t* archive, zip_source_t* source, std::string name);
    void release();
    // A source of `bytes` deflated here; null when they do not pack smaller.
    zip_source_t* deflatedSource(std::span<const std::uint8_t> bytes);

    zip_t* m_archive;
    zip_source_t* m_source;
    std::string m_name;
    libdeflate_compressor* m_compressor = nullptr;
};

// The services of this library, in process.
class EngineZipServices final : public ZipServices {
public:
    static EngineZipServices& instance();
    Result<std::unique_ptr<ZipContainer>> openContainer(Data bytes, const std::string& name, Access access) override;
};

} // namespace folio
