#pragma once

#include "engine/attachments/TETextAttachment.h"
#include "platform/text/AttributedString.h"

namespace folio {

// Stands in the text while dictation is being turned into words, and keeps
// the text it replaced so that a cancelled dictation can put it back.
class TEDictationPlaceholderTextAttachment final : public TETextAttachment {
public:
    static constexpr Size kPlaceholderSize{41, 16};

    TEDictationPlaceholderTextAttachment();

    void setReplacedAttributedString(AttributedString text) { m_replacedAttributedString = std::move(text); }
    const AttributedString& replacedAttributedString() const { return m_replacedAttributedString; }

    // The placeholder sits on the baseline whatever the alignment.
    double ascentForLayout() const override { return displaySize().height; }
    double descentForLayout() const override { return 0; }

private:
    AttributedString m_replacedAttributedString;
};

} // namespace folio
