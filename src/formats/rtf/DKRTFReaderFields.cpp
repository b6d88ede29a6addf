#include "formats/rtf/DKRTFReader.h"

#include "engine/model/TEAttributeKeys.h"
#include "formats/rtf/DKRTFFormField.h"

#include <algorithm>
#include <utility>

// Fields and bookmarks that hold no text: each stands on a hidden carrier
// character of its own, which holds its instruction or name.

namespace folio {

void DKRTFReader::endFieldsClosedByGroupEnd()
{
    while (!m_openFields.empty() && m_states.depth() < m_openFields.back().depth) {
        OpenField field = std::move(m_openFields.back());
        m_openFields.pop_back();
        // A field without a result, or with an empty one, keeps its
        // instruction on a carrier of its own.
        if (field.instruction.empty() || m_attributedString.length() != field.textLength)
            continue;
        m_documentValues.fieldInstruction.clear();
        DKRTFReaderState& current = state();
        const std::u16string outer = current.fieldInstructions();
        current.setFieldInstructions(outer.empty() ? field.instruction : outer + u"\n" + field.instruction);
        // Word leaves a list's or a check box's result empty and draws the
        // choice itself: the editor shows it as the field's text.
        if (std::optional<std::u16string> shown = DKRTFFormField::shownValue(field.instruction); shown && !current.discardText())
            appendString(*shown);
        else
            appendMarkCarrier();
        current.setFieldInstructions(outer);
    }
}

void DKRTFReader::appendMarkCarrier()
{
    DKRTFReaderState& current = state();
    const DKRTFCharacterMarks marks = current.characterMarks();
    DKRTFCharacterMarks hidden = marks;
    hidden.hidden = true;
    keepCharacterMarks(hidden);
    appendString(std::u16string_view(&TEMarkCarrierCharacter, 1));
    keepCharacterMarks(marks);
}

} // namespace folio
