#include "platform/system/processid.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

uint32_t currentProcessId() {
#ifdef _WIN32
    return static_cast<uint32_t>(GetCurrentProcessId());
#else
    return static_cast<uint32_t>(getpid());
#endif
}
