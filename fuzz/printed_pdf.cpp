// Feeds arbitrary bytes to the printed PDF's font subsetter as a printed file
// would hold them. Any input must be cut down or refused without a crash, a
// hang, a sanitizer report or unbounded memory; what is cut down must read
// again as a PDF with the same objects.
#include "platform/web/PDFObjectFile.h"
#include "platform/web/PrintedPDFFontSubsetter.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace folio;
    Data printed(data, size);
    Result<PDFObjectFile> original = PDFObjectFile::read(printed);
    Result<Data> subset = PrintedPDFFontSubsetter::subsetEmbeddedFonts(printed);
    if (!subset)
        return 0;
    Result<PDFObjectFile> again = PDFObjectFile::read(*subset);
    if (!original || !again || again->objectNumbers().size() != original->objectNumbers().size())
        std::abort();
    return 0;
}
