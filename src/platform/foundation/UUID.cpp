#include "platform/foundation/UUID.h"

#include <uuid/uuid.h>

namespace folio {

std::string makeUUIDString()
{
    uuid_t uuid;
    // Random rather than time-based: these names end up in saved files and
    // must not reveal the machine's address or the time of their making.
    uuid_generate_random(uuid);
    char text[37];
    uuid_unparse_upper(uuid, text);
    return std::string(text);
}

} // namespace folio
