#include "platform/net/netwebframe.h"
#include "platform/net/netwebhttp.h"

#include <algorithm>

// Every byte stream a browser may send the web port: as an HTTP request, and
// as WebSocket frames given in chunks of the first byte's size. The reader
// never holds more than its bound nor hands out more than a message's limit,
// and no file name leaves the web root.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    webRequest request;
    size_t consumed = 0;
    if (parseWebRequest(data, size, request, consumed) == webParse::complete) {
        if (consumed > size || consumed > WEB_MAX_REQUEST_BYTES)
            __builtin_trap();
        std::string name;
        if (webFileOf(request.target, name) &&
            (name.empty() || name[0] == '/' || name.find("..") == 0 ||
             name.find("/..") != std::string::npos || name.find('\\') != std::string::npos))
            __builtin_trap();
    }
    if (size == 0)
        return 0;
    constexpr size_t MAX_MESSAGE = 4096;
    const size_t chunk = std::max<size_t>(1, data[0]);
    webFrameReader reader(MAX_MESSAGE, true);
    for (size_t at = 1; at < size;) {
        const size_t kept = reader.append(data + at, std::min(chunk, size - at));
        at += kept;
        bool fault = false;
        for (webRead read = reader.next(); read.kind != webReadKind::none && !fault; read = reader.next()) {
            if (read.payload.size() > MAX_MESSAGE)
                __builtin_trap();
            fault = read.kind == webReadKind::fault;
        }
        if (fault || kept == 0)
            break;
    }
    return 0;
}
