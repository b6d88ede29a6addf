#include "formats/rtf/DKRTFReader.h"

#include "engine/model/TEAttributeKeys.h"

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
