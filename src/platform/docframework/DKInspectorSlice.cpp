#include "platform/docframework/DKInspectorSlice.h"

#include "platform/docframework/DKInspector.h"

namespace folio {

bool DKInspectorSlice::isAppropriateForInspectedObject(const DKDocument&) const
{
    return true;
}

std::vector<DKDocument*> DKInspectorSlice::appropriateObjectsForInspection() const
{
    std::vector<DKDocument*> objects;
    if (!m_inspector)
        return objects;
    for (DKDocument* object : m_inspector->inspectedObjects()) {
        if (object && isAppropriateForInspectedObject(*object))
            objects.push_back(object);
    }
    return objects;
}

} // namespace folio
