#include "platform/audio/backendnoise.h"

// The system's audio services do not write to the terminal.
void quietAudioBackends() {}
