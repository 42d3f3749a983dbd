#pragma once

// The sound system's own libraries may print their failures to the terminal
// while SDL probes for a device (ALSA's "cannot find card" lines on a machine
// without one). The game says itself whether it found a device; this keeps
// their lines off the player's terminal.
void quietAudioBackends();
