#include "engine/display/TELayouter.h"

#include "engine/display/TELayoutFrame.h"
#include "engine/model/TEAttributedStringQueries.h"
#include "platform/text/Typesetter.h"

#include <cstdio>

namespace folio {

std::shared_ptr<TELayouter> TELayouter::make(std::shared_ptr<const AttributedString> string)
{
    if (!string)
        return nullptr;
    return std::make_shared<TELayouter>(std::move(string));
}

TELayouter::TELayouter(std::shared_ptr<const AttributedString> string) : m_string(std::move(string)) {}

const std::shared_ptr<const AttributedString>& TELayouter::attributedString() const
{
    std::lock_guard lock(m_mutex);
    return m_string;
}

void TELayouter::setAttributedString(std::shared_ptr<const AttributedString> string)
{
    std::lock_guard lock(m_mutex);
    if (string == m_string)
        return;
    m_string = std::move(string);
    m_typesetter.reset();
    m_paragraphRanges.reset();
    if (m_cache)
        m_cache->clear();
}

std::shared_ptr<const Typesetter> TELayouter::framesetter()
{
    std::lock_guard lock(m_mutex);
    if (!m_typesetter && m_string)
        m_typesetter = std::make_shared<Typesetter>(*m_string);
    return m_typesetter;
}

std::shared_ptr<const std::vector<Range>> TELayouter::paragraphRanges()
{
    std::lock_guard lock(m_mutex);
    if (m_paragraphRanges || !m_string)
        return m_paragraphRanges;
    auto ranges = std::make_shared<std::vector<Range>>();
    const std::u16string& text = m_string->string();
    Range current{0, 0};
    while (true) {
        Range paragraph = rangeOfParagraphsContainingRange(text, current);
        if (paragraph.length == 0)
            break;
        ranges->push_back(paragraph);
        if (paragraph.end() >= text.size())
            break;
        current = Range{paragraph.end(), 0};
    }
    m_paragraphRanges = std::move(ranges);
    return m_paragraphRanges;
}

void TELayouter::setShouldCacheLayoutFrames(bool shouldCache)
{
    std::lock_guard lock(m_mutex);
    m_shouldCacheLayoutFrames = shouldCache;
    if (shouldCache && !m_cache)
        m_cache = std::make_unique<std::map<std::string, std::shared_ptr<TELayoutFrame>>>();
    else if (!shouldCache)
        m_cache.reset();
}

std::shared_ptr<TELayoutFrame> TELayouter::layoutFrameWithRect(Rect rect, Range range)
{
    if (!(rect.size.width > 0) || !(rect.size.height > 0))
        return nullptr;
    std::lock_guard lock(m_mutex);
    std::string key;
    if (m_cache && m_string) {
        char text[256];
        std::snprintf(text, sizeof text, "%zud-{{%g, %g}, {%g, %g}}-{%zu, %zu}", m_string->hash(), rect.origin.x,
                      rect.origin.y, rect.size.width, rect.size.height, range.location, range.length);
        key = text;
        auto found = m_cache->find(key);
        if (found != m_cache->end())
            return found->second;
    }
    std::shared_ptr<TELayoutFrame> frame = TELayoutFrame::make(rect, *this, range);
    if (frame && m_cache)
        (*m_cache)[key] = frame;
    return frame;
}

} // namespace folio
