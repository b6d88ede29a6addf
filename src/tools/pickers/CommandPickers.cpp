#include "tools/pickers/CommandPickers.h"

#include "platform/foundation/Localization.h"
#include "platform/foundation/Unicode.h"

namespace folio {

std::u16string ReplacePickerController::titleForKey(std::string_view key) const
{
    return toUtf16(Localization::localizedString(key, "", "DocKitUI"));
}

} // namespace folio
