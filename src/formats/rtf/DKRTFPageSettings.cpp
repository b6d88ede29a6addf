#include "formats/rtf/DKRTFPageSettings.h"

#include "platform/foundation/OFStringScanner.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"

#include <array>

namespace folio {

namespace {

constexpr float kTwipsPerCentimetre = 566.96f;
constexpr int kTwipsPerPoint = 20;

} // namespace

void DKRTFPageSettings::setPageMargin(std::string_view key, int twips)
{
    m_numbers.insert_or_assign(std::string(key), static_cast<float>(twips) / kTwipsPerCentimetre);
}

void DKRTFPageSettings::setParagraphSpacing(std::string_view key, int twips)
{
    m_numbers.insert_or_assign(std::string(key), static_cast<float>(twips / kTwipsPerPoint));
}

void DKRTFPageSettings::setHeaderFooterControl(std::string_view key, const std::u16string& settings)
{
    m_texts.insert_or_assign(std::string(key), toUtf8(settings));
}

std::optional<float> DKRTFPageSettings::number(std::string_view key) const
{
    auto found = m_numbers.find(key);
    return found == m_numbers.end() ? std::nullopt : std::optional<float>(found->second);
}

std::optional<std::string> DKRTFPageSettings::text(std::string_view key) const
{
    auto found = m_texts.find(key);
    return found == m_texts.end() ? std::nullopt : std::optional<std::string>(found->second);
}

void DKRTFPageSettings::store(UserDefaults& defaults) const
{
    static constexpr std::array kKeys{kPageMarginLeftKey,   kPageMarginRightKey,        kPageMarginTopKey,
                                      kPageMarginBottomKey, kParagraphSpacingKey,       kParagraphSpacingBeforeKey,
                                      kHeaderControlKey,    kFooterControlKey};
    for (std::string_view key : kKeys)
        defaults.removeObjectForKey(key);
    for (const auto& [key, value] : m_numbers)
        defaults.setFloat(key, value);
    for (const auto& [key, value] : m_texts)
        defaults.setString(key, value);
    // A store that cannot be written keeps the values in memory, where the
    // editors and exports of this session still find them.
    (void)defaults.synchronize();
}

std::u16string DKRTFPageSettings::readHeaderFooterText(OFStringScanner& scanner)
{
    std::u16string text;
    while (!scanner.isAtEnd()) {
        char16_t character = scanner.peekCharacter();
        if (character == u'}')
            break;
        scanner.skipPeekedCharacter();
        if (character == u'\\' && !scanner.isAtEnd()) {
            char16_t escaped = scanner.peekCharacter();
            if (escaped == u'\\' || escaped == u'{' || escaped == u'}') {
                scanner.skipPeekedCharacter();
                text.push_back(escaped);
                continue;
            }
        }
        text.push_back(character);
    }
    return text;
}

} // namespace folio
