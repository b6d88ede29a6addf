#include "tools/ToolsText.h"

#include "platform/foundation/Localization.h"
#include "platform/foundation/Unicode.h"

namespace folio {

std::u16string localized(std::string_view key) { return toUtf16(Localization::localizedString(key)); }

} // namespace folio
