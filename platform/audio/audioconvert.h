#pragma once

#include "platform/audio/audioformat.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Converts whole frames of PCM bytes in the source format into interleaved
// signed 16-bit samples of the output's channels and rate. A partial frame at
// the end is dropped. Fails on an unsupported format or a result above
// AUDIO_MAX_CONVERTED_BYTES.
// Whether byteCount bytes of the source format can be converted, before any is allocated.
audioResult checkConversion(const audioFormat& source, size_t byteCount, const audioFormat& output);

audioResult convertToOutput(const audioFormat& source, const uint8_t* bytes, size_t byteCount,
                            const audioFormat& output, std::vector<int16_t>& samples);
