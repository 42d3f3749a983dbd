#include "platform/audio/backendnoise.h"

#include <dlfcn.h>

namespace {

// ALSA's error handler: file, line, function, error number, then a format
// with its arguments.
using alsaErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);
using alsaSetErrorHandler = int (*)(alsaErrorHandler);

void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

} // namespace

// SDL loads ALSA itself when it probes; the library loaded here is the same
// one, with the same process-wide handler. Kept loaded for as long as SDL may use it.
void quietAudioBackends() {
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL);
    if (alsa == nullptr)
        return;
    const auto setHandler = reinterpret_cast<alsaSetErrorHandler>(dlsym(alsa, "snd_lib_error_set_handler"));
    if (setHandler != nullptr)
        setHandler(ignoreAlsaError);
}
