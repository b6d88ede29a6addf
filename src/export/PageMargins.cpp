#include "export/PageMargins.h"

#include "platform/foundation/UserDefaults.h"

namespace folio {

EdgeInsets PageMargins::read(std::string_view prefix, const Lookup& lookup)
{
    auto side = [&](const char* name) { return double(lookup(std::string(prefix) + name).value_or(0)); };
    return {side("Top"), side("Left"), side("Bottom"), side("Right")};
}

EdgeInsets PageMargins::read(std::string_view prefix, const UserDefaults& defaults)
{
    return read(prefix, [&](const std::string& key) { return defaults.floatForKey(key); });
}

} // namespace folio
