#include "richtext/RichTextWordCounter.h"

#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/StringFormat.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/Label.h"
#include "tools/wordcounter/JOTTextCounter.h"

#include <algorithm>
#include <chrono>

namespace folio {

namespace {

constexpr const char* kEditorContentSizeScript =
    "               var elem     = document.getElementById('content');               var init_float = (typeof "
    "elem.style.cssFloat != 'undefined')? elem.style.cssFloat : elem.style.styleFloat;               "
    "elem.style.cssFloat = 'left';               elem.style.styleFloat = 'left';               var width = "
    "elem.offsetWidth;               var height= elem.offsetHeight;               elem.style.cssFloat = init_float;  "
    "             elem.style.styleFloat = init_float;               height;               ";

} // namespace

RichTextWordCounter::~RichTextWordCounter()
{
    cancelPendingUpdate();
}

RichTextWordCounter::Counts RichTextWordCounter::count(std::u16string text)
{
    text.erase(std::remove(text.begin(), text.end(), u'\uFEFF'), text.end());
    return Counts{JOTTextCounter::countedCharacterCount(text), JOTTextCounter::wordCount(text)};
}

std::u16string RichTextWordCounter::bannerText(Counts counts)
{
    std::u16string format = toUtf16(Localization::localizedString("Chars %@ Words %@"));
    return formatString(format, {toUtf16(std::to_string(counts.characters)), toUtf16(std::to_string(counts.words))});
}

void RichTextWordCounter::updateWordCounter()
{
    std::shared_ptr<Label> banner = m_host.banner ? m_host.banner() : nullptr;
    if (banner) {
        banner->setAlpha(1.0);
        banner->setHidden(false);
    }
    bool collapsed = !m_host.hasSelection || m_host.hasSelection();
    m_counts = count(m_host.readText ? m_host.readText(collapsed) : std::u16string());
    if (banner)
        banner->setText(bannerText(m_counts));
}

void RichTextWordCounter::scheduleUpdate()
{
    cancelPendingUpdate();
    RunLoop::main().performSelectorAfterDelay(this, kSelector, {}, kRecountDelay, [this] { updateWordCounter(); });
}

void RichTextWordCounter::cancelPendingUpdate()
{
    RunLoop::main().cancelPreviousPerformRequests(this, kSelector);
}

void RichTextWordCounter::updateHourTopAlertBar()
{
    std::shared_ptr<Label> banner = m_host.banner ? m_host.banner() : nullptr;
    if (!banner)
        return;
    std::u16string time =
        localizedStringFromDate(std::chrono::system_clock::now(), DateFormatterStyle::None, DateFormatterStyle::Short);
    banner->setText(bannerText(m_counts) + formatString(u" - %@", {time}));
}

long long RichTextWordCounter::getEditorContentSize()
{
    return m_host.readInteger ? m_host.readInteger(kEditorContentSizeScript) : 0;
}

} // namespace folio
