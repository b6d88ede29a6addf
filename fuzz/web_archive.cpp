// Feeds arbitrary bytes to the web archive reader, as another program's
// pasteboard may hold them. Any input must read or be refused without a
// crash, a hang, a sanitizer report or unbounded memory; an archive that
// reads must write itself out and read back the same.
#include "foundation/files/TEWebArchive.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace folio;
    Result<TEWebArchive> archive = TEWebArchive::archiveWithData(std::span(data, size));
    if (!archive)
        return 0;
    // Binary only: XML cannot carry every control character a string may hold.
    Result<std::vector<std::uint8_t>> written = archive->data();
    if (!written)
        return 0;
    Result<TEWebArchive> reread = TEWebArchive::archiveWithData(*written);
    if (!reread || reread->dictionaryRepresentation() != archive->dictionaryRepresentation())
        std::abort();
    return 0;
}
