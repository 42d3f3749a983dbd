#include "platform/net/netapplicationdesc.h"

std::string limitSessionName(const std::string& name) {
    if (name.size() <= NET_MAX_SESSION_NAME)
        return name;
    size_t length = NET_MAX_SESSION_NAME;
    // Step back over continuation bytes (10xxxxxx) to the start of the cut character.
    while (length > 0 && (static_cast<unsigned char>(name[length]) & 0xC0) == 0x80)
        --length;
    return name.substr(0, length);
}
