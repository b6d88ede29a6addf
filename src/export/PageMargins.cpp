#include "export/PageMargins.h"

namespace folio {

EdgeInsets PageMargins::read(std::string_view prefix, const Lookup& lookup)
{
    auto side = [&](const char* name) { return double(lookup(std::string(prefix) + name).value_or(0)); };
    return {side("Top"), side("Left"), side("Bottom"), side("Right")};
}

} // namespace folio
