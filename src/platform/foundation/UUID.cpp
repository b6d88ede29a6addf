#include "platform/foundation/UUID.h"

#include <uuid/uuid.h>

namespace folio {

namespace {

std::string canonicalText(const uuid_t uuid)
{
    char text[37];
    uuid_unparse_upper(uuid, text);
    return std::string(text);
}

} // namespace

std::string makeUUIDString()
{
    uuid_t uuid;
    // Random rather than time-based: these names end up in saved files and
    // must not reveal the machine's address or the time of their making.
    uuid_generate_random(uuid);
    return canonicalText(uuid);
}

std::string makeSequentialUUIDString()
{
    thread_local uuid_t current;
    thread_local bool drawn = false;
    if (!drawn) {
        uuid_generate_random(current);
        drawn = true;
    } else {
        // The last six bytes, read as one big-endian number, go up by one;
        // the version and variant bits in the bytes before stay as drawn.
        for (int index = 15; index >= 10; --index) {
            if (++current[index] != 0)
                break;
        }
    }
    return canonicalText(current);
}

} // namespace folio
