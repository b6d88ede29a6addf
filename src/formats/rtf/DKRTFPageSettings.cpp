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

void DKRTFPageSettings::resetForNewDocument()
{
    static constexpr std::array kKeys{kPageMarginLeftKey,   kPageMarginRightKey,        kPageMarginTopKey,
                                      kPageMarginBottomKey, kParagraphSpacingKey,       kParagraphSpacingBeforeKey,
                                      kHeaderControlKey,    kFooterControlKey};
    for (std::string_view key : kKeys)
        m_defaults.removeObjectForKey(key);
}

void DKRTFPageSettings::setPageMargin(std::string_view key, int twips)
{
    m_defaults.setFloat(key, static_cast<float>(twips) / kTwipsPerCentimetre);
}

void DKRTFPageSettings::setParagraphSpacing(std::string_view key, int twips)
{
    m_defaults.setFloat(key, static_cast<float>(twips / kTwipsPerPoint));
}

void DKRTFPageSettings::setHeaderFooterControl(std::string_view key, const std::u16string& settings)
{
    m_defaults.setString(key, toUtf8(settings));
}

void DKRTFPageSettings::synchronize()
{
    // A store that cannot be written keeps the values in memory, where the
    // editors and exports of this session still find them.
    (void)m_defaults.synchronize();
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
