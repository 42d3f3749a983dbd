#include "platform/audio/backendnoise.h"

// The browser's audio writes nothing to a terminal.
void quietAudioBackends() {}
