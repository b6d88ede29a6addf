#pragma once

#include "platform/foundation/Error.h"
#include "platform/ui/PasteboardBackend.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace folio {

class Image;
class NotificationCenter;

inline const std::string kPasteboardTypeWebArchive = "Apple Web Archive pasteboard type";
inline const std::string kPasteboardTypeUTF8PlainText = "public.utf8-plain-text";
inline const std::string kPasteboardTypePNG = "public.png";
// HTML text, as other programs on the desktop offer and read it.
inline const std::string kPasteboardTypeHTML = "public.html";
inline const std::string kPasteboardChangedNotification = "UIPasteboardChangedNotification";

// The general pasteboard: a list of items, each with typed representations.
// Every write bumps the change count and posts the changed notification.
class Pasteboard {
public:
    explicit Pasteboard(NotificationCenter& center);

    static Pasteboard& general();

    void setBackend(std::shared_ptr<PasteboardBackend> backend) { m_backend = std::move(backend); }

    std::vector<PasteboardItem> items() const;
    void setItems(std::vector<PasteboardItem> items);
    void addItems(const std::vector<PasteboardItem>& items);
    std::size_t numberOfItems() const { return items().size(); }
    long changeCount() const { return m_changeCount; }

    // The types of the first item.
    std::vector<std::string> pasteboardTypes() const;
    bool containsPasteboardType(const std::string& type) const;
    // The first item's representation of that type; nothing when absent.
    std::optional<std::vector<std::uint8_t>> dataForPasteboardType(const std::string& type) const;
    // Replaces the pasteboard with one item holding this one representation.
    void setData(std::vector<std::uint8_t> data, const std::string& type);

    // Plain text as UTF-8; invalid bytes read as replacement characters.
    std::optional<std::u16string> string() const;
    void setString(const std::u16string& text);
    bool hasStrings() const { return containsPasteboardType(kPasteboardTypeUTF8PlainText); }
    // A PNG representation decoded; nothing when absent or undecodable.
    std::shared_ptr<const Image> image() const;
    // Stored as PNG; fails (and leaves the pasteboard as it was) when the
    // image cannot be encoded.
    Status setImage(const Image& image);
    bool hasImages() const { return containsPasteboardType(kPasteboardTypePNG); }

    // The system clipboard changed behind our back (another program copied).
    void noteExternalChange();

private:
    void changed();

    NotificationCenter& m_center;
    std::shared_ptr<PasteboardBackend> m_backend;
    std::vector<PasteboardItem> m_items;
    long m_changeCount = 0;
};

} // namespace folio
