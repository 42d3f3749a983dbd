#include "fuzz/fuzzinput.h"
#include "platform/language/textcatalogue.h"

#include <string_view>

// The catalogue reader on damaged compiled catalogues: it takes or refuses
// the bytes, and what it took answers every lookup and every plural form.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    abortOnAssertion();
    textCatalogue catalogue;
    const bool read = catalogue.read(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!read && !catalogue.isEmpty())
        __builtin_trap();
    for (const char* key : {"", "Game Unavailable", "%d player"}) {
        catalogue.find(key);
        for (unsigned long count : {0UL, 1UL, 2UL, 5UL, 21UL, 111UL, 4294967295UL})
            catalogue.findPlural(key, count);
    }
    return 0;
}
