#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace folio {

// One pasteboard item: its representations by type identifier.
using PasteboardItem = std::map<std::string, std::vector<std::uint8_t>>;

// Where the pasteboard's items really live: the system clipboard, when a
// presenter installs one. Without it the pasteboard keeps items in memory.
class PasteboardBackend {
public:
    virtual ~PasteboardBackend() = default;
    virtual void writeItems(const std::vector<PasteboardItem>& items) = 0;
    virtual std::vector<PasteboardItem> readItems() = 0;
};

} // namespace folio
