#pragma once

#include "platform/text/TextRunDelegate.h"

#include <memory>

namespace folio {

class TETextAttachment;

// Reserves room on a line for an attachment: layout asks it for the ascent,
// descent and width of the U+FFFC character the attachment stands on. It
// refers to the attachment without owning it; the text owns the attachment.
class TEEmbeddedObjectRunDelegate final : public TextRunDelegate {
public:
    // The width given to anything that is not an attachment.
    static constexpr double kDefaultWidth = 35;

    explicit TEEmbeddedObjectRunDelegate(std::weak_ptr<const AttributeValue> object) : m_object(std::move(object)) {}

    double ascent() const override;
    double descent() const override;
    double width() const override;

    bool isEqual(const AttributeValue& other) const override;
    std::size_t hash() const override;
    std::string_view typeName() const override { return "runDelegate"; }

private:
    const TETextAttachment* attachment() const;

    std::weak_ptr<const AttributeValue> m_object;
};

// The run delegate of an attachment (createEmbeddedObjectRunDelegate).
std::shared_ptr<const TEEmbeddedObjectRunDelegate> createEmbeddedObjectRunDelegate(
    const std::shared_ptr<const AttributeValue>& attachment);

} // namespace folio
