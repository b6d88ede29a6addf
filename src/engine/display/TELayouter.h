#pragma once

#include "platform/foundation/Range.h"
#include "platform/graphics/Geometry.h"
#include "platform/text/AttributedString.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace folio {

class TELayoutFrame;
class Typesetter;

// Owns an attributed string and its typesetter and hands out layout frames
// of it. The string is immutable and shared: a frame keeps the string it was
// made from, so later changes of the layouter's string leave it alone.
class TELayouter {
public:
    // Null without a string.
    static std::shared_ptr<TELayouter> make(std::shared_ptr<const AttributedString> string);
    explicit TELayouter(std::shared_ptr<const AttributedString> string);

    // A frame of `range` (length 0: the rest of the text) in `rect`; null for
    // a rectangle without width or height, or a range starting past the text.
    std::shared_ptr<TELayoutFrame> layoutFrameWithRect(Rect rect, Range range = Range{0, 0});

    const std::shared_ptr<const AttributedString>& attributedString() const;
    // Another string object drops the typesetter and the frame cache.
    void setAttributedString(std::shared_ptr<const AttributedString> string);
    // The typesetter of the current string, made on first request.
    std::shared_ptr<const Typesetter> framesetter();
    // The paragraphs of the current string, each with its terminator.
    std::shared_ptr<const std::vector<Range>> paragraphRanges();

    bool shouldCacheLayoutFrames() const { return m_shouldCacheLayoutFrames; }
    void setShouldCacheLayoutFrames(bool shouldCache);

    std::vector<std::shared_ptr<TELayoutFrame>>& frames() { return m_frames; }
    void setFrames(std::vector<std::shared_ptr<TELayoutFrame>> frames) { m_frames = std::move(frames); }

private:
    mutable std::recursive_mutex m_mutex;
    std::shared_ptr<const AttributedString> m_string;
    std::shared_ptr<const Typesetter> m_typesetter;
    std::shared_ptr<const std::vector<Range>> m_paragraphRanges;
    bool m_shouldCacheLayoutFrames = false;
    std::unique_ptr<std::map<std::string, std::shared_ptr<TELayoutFrame>>> m_cache;
    std::vector<std::shared_ptr<TELayoutFrame>> m_frames;
};

} // namespace folio
