#include "engine/html/writer/HTMLParagraphForm.h"

#include "engine/html/writer/HTMLWriterContext.h"
#include "engine/model/TEAttributeKeys.h"
#include "platform/text/AttributeDictionary.h"

namespace folio {

HTMLParagraphForm::HTMLParagraphForm(const AttributeDictionary& attributes)
    : pageBreak(attributes.containsKey(TEPageBreakAttribute))
    , pageBreakBeforeParagraph(pageBreak && attributes.containsKey(TEPageBreakBeforeParagraphAttribute))
    , rule(attributes.containsKey(TEHorizontalRuleStyleAttribute))
    , hasLists(attributes.valueForKeyAs<ArrayValue>(TETextIsListAttribute) != nullptr)
    , isField(attributes.containsKey(TEFieldAttribute))
    , isEndOfList(attributes.containsKey(TETextEndOfListAttribute))
    , closesAllLists(attributes.containsKey(TETextEndOfAllOpenedLists))
    , hasCustomAttributes(attributes.valueForKeyAs<StringMapValue>(TECustomAttributesAttribute) != nullptr)
    , headerLevel(numberInAttributes(attributes, TEHeaderLevelAttribute))
{
}

} // namespace folio
