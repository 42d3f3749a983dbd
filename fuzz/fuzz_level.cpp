#include "fuzz/fuzzinput.h"
#include "game/common/hostedlevel.h"
#include "game/level/levelloader.h"
#include "game/level/qxl.h"
#include "game/server/zebhostedgamestate.h"

#include <cstdio>
#include <string>
#include <unistd.h>

// The level loader reads a file: each input is written to one and loaded, into
// the shape list and a game, as set-up does. A malformed file raises a QXL
// exception, which the program reports at its top.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    abortOnAssertion();
    static const std::string path = "fuzz_level_" + std::to_string(getpid()) + ".xml";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    std::vector<ZEBObject> objects;
    ZEBHostedGameState game;
    try {
        hostLevel(loadLevel(path), game, objects);
        game.createAsteroids();
    } catch (const QXL::Exception&) {
    }
    return 0;
}
