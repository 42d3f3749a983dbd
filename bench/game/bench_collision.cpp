#include "game/level/levelloader.h"
#include "game/rules/zebgamestateelement.h"
#include "game/rules/zebobject.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

// testCollision of the shipped ship and bullet against a large asteroid of the
// shipped level, at the scales the game uses, close but apart: no pair crosses,
// so every pair is examined (the common and the slowest case).

namespace {

std::vector<ZEBObject> loadShapes() {
    const char* source = std::getenv("ZEB_SOURCE_DIR");
    const std::string base = source != nullptr ? source : ZEB_DEFAULT_SOURCE_DIR;
    return loadLevel(base + "/assets/level_0.xml").shapes;
}

// The shape of that type with the most vertices: the slowest test.
int largestOfType(const std::vector<ZEBObject>& objects, ZEBObjectType type) {
    int best = -1;
    for (size_t i = 0; i < objects.size(); ++i)
        if (objects[i].getType() == type &&
            (best < 0 || objects[i].getNumVertices() > objects[best].getNumVertices()))
            best = static_cast<int>(i);
    return best;
}

void collideWithLargeAsteroid(benchmark::State& state, ZEBObjectType movingType, float scale) {
    std::vector<ZEBObject> objects = loadShapes();
    const int moving = largestOfType(objects, movingType);
    const int rock = largestOfType(objects, TYPE_ASTEROID);
    if (moving < 0 || rock < 0) {
        state.SkipWithError("level shapes missing");
        return;
    }
    ZEBGameStateElement mover;
    mover.initialise(0, vector3(-3.6f, 0.3f, 0.0f), 15.0f, ZERO, scale, movingType, moving, WHITE, true);
    ZEBGameStateElement asteroid;
    asteroid.initialise(1, ZERO, 30.0f, ZERO, 2.5f, TYPE_ASTEROID, rock, WHITE, true);
    const matrix moverWorld = mover.getWorldTransform();
    const matrix rockWorld = asteroid.getWorldTransform();
    const vector3 movement(0.05f, 0.0f, 0.0f);
    bool hit = false;
    for (auto _ : state) {
        hit = objects[moving].testCollision(moverWorld, movement, objects[rock], rockWorld);
        benchmark::DoNotOptimize(hit);
    }
    state.counters["hit"] = hit ? 1 : 0;
}

void BM_ShipAgainstLargeAsteroid(benchmark::State& state) {
    collideWithLargeAsteroid(state, TYPE_PLAYER, 0.4f);
}
void BM_BulletAgainstLargeAsteroid(benchmark::State& state) {
    collideWithLargeAsteroid(state, TYPE_BULLET, 0.3f);
}

} // namespace

BENCHMARK(BM_ShipAgainstLargeAsteroid)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK(BM_BulletAgainstLargeAsteroid)->Repetitions(9)->ReportAggregatesOnly(true);
