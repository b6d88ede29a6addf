#include "app/MarkdownConverterRegistration.h"

#include "formats/markdown/MarkdownConverter.h"
#include "formats/markdown/BKDMarkdown.h"

namespace folio {

namespace {

class BKDMarkdownConverter final : public MarkdownConverter {
public:
    std::u16string html(const std::u16string& markdown) override { return BKDMarkdown(markdown).html(); }
    std::string utf8HTML(const std::u16string& markdown) override { return BKDMarkdown().utf8HTML(markdown); }
    std::string utf8HTMLOfUTF8(std::string markdown) override { return BKDMarkdown().utf8HTMLOfUTF8(std::move(markdown)); }
    std::u16string plainText(const std::u16string& markdown) override { return BKDMarkdown().plainText(markdown); }
};

} // namespace

void registerMarkdownConverter()
{
    MarkdownConverter::setShared(std::make_shared<BKDMarkdownConverter>());
}

} // namespace folio
