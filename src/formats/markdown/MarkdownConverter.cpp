#include "formats/markdown/MarkdownConverter.h"

#include "platform/foundation/Unicode.h"

#include <mutex>

namespace folio {

namespace {

std::mutex& converterMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<MarkdownConverter>& sharedConverter()
{
    static std::shared_ptr<MarkdownConverter> converter;
    return converter;
}

} // namespace

std::string MarkdownConverter::utf8HTML(const std::u16string& markdown)
{
    return toUtf8(html(markdown));
}

std::string MarkdownConverter::utf8HTMLOfUTF8(std::string markdown)
{
    return utf8HTML(toUtf16(markdown));
}

std::shared_ptr<MarkdownConverter> MarkdownConverter::shared()
{
    std::lock_guard lock(converterMutex());
    return sharedConverter();
}

void MarkdownConverter::setShared(std::shared_ptr<MarkdownConverter> converter)
{
    std::lock_guard lock(converterMutex());
    sharedConverter() = std::move(converter);
}

} // namespace folio
