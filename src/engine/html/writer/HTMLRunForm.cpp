#include "engine/html/writer/HTMLRunForm.h"

#include "engine/model/TEAttributeKeys.h"
#include "platform/text/AttributeDictionary.h"

namespace folio {

HTMLRunForm::HTMLRunForm(const AttributeDictionary& attributes)
    : isAttachment(attributes.containsKey(NSAttachmentAttributeName))
    , link(attributes.valueForKeyAs<URLValue>(TELinkAttribute))
    , anchor(attributes.valueForKeyAs<StringValue>(TEAnchorAttribute))
    , customAttributes(attributes.valueForKeyAs<StringMapValue>(TECustomAttributesAttribute))
{
}

} // namespace folio
