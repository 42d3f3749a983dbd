#include "fuzz/fuzzinput.h"
#include "sound/wavereader.h"

#include <cstdio>
#include <string>
#include <unistd.h>

// The wave reader on a file holding the input: opened, read whole in pieces,
// rewound and read again.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    abortOnAssertion();
    static const std::string path = "fuzz_wave_" + std::to_string(getpid()) + ".wav";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    CWaveReader reader;
    if (failed(reader.open(path.c_str(), nullptr, WAVEFILE_READ)))
        return 0;
    if (reader.getSize() > size)
        __builtin_trap();
    std::vector<uint8_t> buffer(4096);
    for (int pass = 0; pass < 2; ++pass) {
        uint32_t total = 0;
        uint32_t got = 0;
        while (succeeded(reader.read(buffer.data(), static_cast<uint32_t>(buffer.size()), &got)) && got > 0)
            total += got;
        if (total != reader.getSize())
            __builtin_trap();
        reader.rewind();
    }
    reader.close();
    return 0;
}
