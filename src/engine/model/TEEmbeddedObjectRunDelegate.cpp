#include "engine/model/TEEmbeddedObjectRunDelegate.h"

#include "engine/attachments/TETextAttachment.h"

#include <functional>

namespace folio {

const TETextAttachment* TEEmbeddedObjectRunDelegate::attachment() const
{
    const std::shared_ptr<const AttributeValue> object = m_object.lock();
    // The attributed string holds the attachment beside this delegate, so
    // while the text lives the pointer stays valid after the lock is dropped.
    return object ? object->as<TETextAttachment>() : nullptr;
}

double TEEmbeddedObjectRunDelegate::ascent() const
{
    const TETextAttachment* object = attachment();
    return object ? object->ascentForLayout() : 0;
}

double TEEmbeddedObjectRunDelegate::descent() const
{
    const TETextAttachment* object = attachment();
    return object ? object->descentForLayout() : 0;
}

double TEEmbeddedObjectRunDelegate::width() const
{
    const TETextAttachment* object = attachment();
    return object ? object->displaySize().width : kDefaultWidth;
}

bool TEEmbeddedObjectRunDelegate::isEqual(const AttributeValue& other) const
{
    const auto* delegate = other.as<TEEmbeddedObjectRunDelegate>();
    return delegate && !m_object.owner_before(delegate->m_object) && !delegate->m_object.owner_before(m_object);
}

std::size_t TEEmbeddedObjectRunDelegate::hash() const
{
    return std::hash<const void*>()(m_object.lock().get());
}

std::shared_ptr<const TEEmbeddedObjectRunDelegate> createEmbeddedObjectRunDelegate(
    const std::shared_ptr<const AttributeValue>& attachment)
{
    return std::make_shared<TEEmbeddedObjectRunDelegate>(attachment);
}

} // namespace folio
