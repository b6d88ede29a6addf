#include "platform/ui/Pasteboard.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Unicode.h"
#include "platform/graphics/Image.h"

namespace folio {

Pasteboard::Pasteboard(NotificationCenter& center) : m_center(center) {}

Pasteboard& Pasteboard::general()
{
    static Pasteboard pasteboard(NotificationCenter::defaultCenter());
    return pasteboard;
}

std::vector<PasteboardItem> Pasteboard::items() const { return m_backend ? m_backend->readItems() : m_items; }

void Pasteboard::setItems(std::vector<PasteboardItem> items)
{
    // Items without any representation carry nothing and would only confuse
    // readers that look at the first item.
    std::erase_if(items, [](const PasteboardItem& item) { return item.empty(); });
    m_items = std::move(items);
    if (m_backend)
        m_backend->writeItems(m_items);
    changed();
}

void Pasteboard::addItems(const std::vector<PasteboardItem>& items)
{
    auto all = this->items();
    all.insert(all.end(), items.begin(), items.end());
    setItems(std::move(all));
}

std::vector<std::string> Pasteboard::pasteboardTypes() const
{
    std::vector<std::string> types;
    auto all = items();
    if (!all.empty()) {
        for (const auto& [type, data] : all.front())
            types.push_back(type);
    }
    return types;
}

bool Pasteboard::containsPasteboardType(const std::string& type) const { return dataForPasteboardType(type).has_value(); }

std::optional<std::vector<std::uint8_t>> Pasteboard::dataForPasteboardType(const std::string& type) const
{
    auto all = items();
    if (all.empty())
        return std::nullopt;
    auto it = all.front().find(type);
    if (it == all.front().end())
        return std::nullopt;
    return it->second;
}

void Pasteboard::setData(std::vector<std::uint8_t> data, const std::string& type)
{
    setItems({PasteboardItem{{type, std::move(data)}}});
}

std::optional<std::u16string> Pasteboard::string() const
{
    auto data = dataForPasteboardType(kPasteboardTypeUTF8PlainText);
    if (!data)
        return std::nullopt;
    return toUtf16(std::string_view(reinterpret_cast<const char*>(data->data()), data->size()));
}

void Pasteboard::setString(const std::u16string& text)
{
    std::string utf8 = toUtf8(text);
    setData(std::vector<std::uint8_t>(utf8.begin(), utf8.end()), kPasteboardTypeUTF8PlainText);
}

std::shared_ptr<const Image> Pasteboard::image() const
{
    auto data = dataForPasteboardType(kPasteboardTypePNG);
    if (!data)
        return nullptr;
    auto decoded = Image::imageWithData(*data);
    return decoded ? decoded.value() : nullptr;
}

Status Pasteboard::setImage(const Image& image)
{
    auto png = image.pngData();
    if (!png)
        return png.error();
    setData(std::move(png.value()), kPasteboardTypePNG);
    return Status::success();
}

void Pasteboard::noteExternalChange() { changed(); }

void Pasteboard::changed()
{
    ++m_changeCount;
    m_center.postNotification(kPasteboardChangedNotification, this);
}

} // namespace folio
