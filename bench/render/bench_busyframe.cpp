// A busy frame into a 700 x 700 software target: 30 shapes, 10 explosions of
// 12-vertex shapes (480 lines) and 9 lines of text, drawn as the game draws.
#include "core/random.h"
#include "drawing/camera.h"
#include "drawing/font/font.h"
#include "drawing/render.h"
#include "game/rules/zebobject.h"
#include "game/windowed/draw/zebobjectparticlesystem.h"
#include "game/windowed/draw/zebshapeoutlines.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int AREA = 700;
constexpr int SHAPES = 30;
constexpr int EXPLOSIONS = 10;
constexpr int ROCK_VERTICES = 12;
constexpr int SCORE_LINES = 8;
constexpr float EXPLOSION_AGE = 0.05f; // seconds into a 0.3 s explosion: well spread, still bright

float randomIn(float low, float high) {
    return low + (high - low) * static_cast<float>(random15()) / RANDOM_MAX;
}

ZEBObject makeRock() {
    std::vector<vector3> vertices;
    for (int i = 0; i < ROCK_VERTICES; ++i) {
        const float angle = 6.2831853f * static_cast<float>(i) / ROCK_VERTICES;
        const float radius = randomIn(0.7f, 1.2f);
        vertices.emplace_back(radius * std::cos(angle), radius * std::sin(angle), 0.0f);
    }
    ZEBObject rock;
    rock.create(TYPE_ASTEROID, vertices.data(), ROCK_VERTICES);
    return rock;
}

ZEBObject makeShip() {
    const vector3 vertices[4] = {
        {1.0f, 0.0f, 0.0f}, {-0.7f, 0.6f, 0.0f}, {-0.4f, 0.0f, 0.0f}, {-0.7f, -0.6f, 0.0f}};
    ZEBObject ship;
    ship.create(TYPE_PLAYER, vertices, 4);
    return ship;
}

constexpr int SHIP = 0;
constexpr int ROCK = 1;

struct placedShape {
    int shape; // SHIP or ROCK
    matrix world;
    colour4 colour;
};

struct busyScene {
    std::vector<ZEBObject> kinds;
    ZEBShapeOutlines outlines;
    std::vector<placedShape> shapes;
    std::vector<std::unique_ptr<ZEBObjectParticleSystem>> explosions;
    font text;
    camera eye;

    busyScene() {
        seedRandom(2024);
        kinds = {makeShip(), makeRock()};
        outlines = ZEBShapeOutlines(kinds);
        for (int i = 0; i < SHAPES; ++i) {
            placedShape placed;
            placed.shape = i < 4 ? SHIP : ROCK;
            matrix s = IDENTITY;
            s(0, 0) = s(1, 1) = randomIn(0.5f, 1.5f);
            matrix r;
            rotationZ(randomIn(0.0f, 6.28f), &r);
            const vector3 position(randomIn(-9.0f, 9.0f), randomIn(-9.0f, 9.0f), 0.0f);
            matrix t;
            translation(&position, &t);
            multiply(&s, &r, &placed.world);
            multiply(&placed.world, &t, &placed.world);
            placed.colour.randomise(0.3f, 1.0f);
            shapes.push_back(placed);
        }
        for (int i = 0; i < EXPLOSIONS; ++i) {
            const vector3 position(randomIn(-8.0f, 8.0f), randomIn(-8.0f, 8.0f), 0.0f);
            colour4 colour;
            colour.randomise(0.5f, 1.0f);
            explosions.push_back(std::make_unique<ZEBObjectParticleSystem>(
                0.3f, kinds[ROCK], position, randomIn(0.0f, 360.0f), 1.2f, colour));
            explosions.back()->update(EXPLOSION_AGE);
            explosions.back()->update(EXPLOSION_AGE);
        }
        text.create("Arial", 16);
        eye.setPosition(vector3(-0.019999921f, 0.0f, -23.98f));
    }

    void draw() {
        clearScene(0.05f, 0.05f, 0.1f, 1.0f);
        beginScene();
        g_pd3dDevice->setCullMode(cullMode::none);
        matrix view = eye.getViewMatrix();
        transpose(&view, &view);
        g_pd3dDevice->setTransform(transformState::view, view);
        for (const placedShape& placed : shapes)
            outlines.draw(placed.shape, placed.world, placed.colour);
        for (const auto& explosion : explosions)
            explosion->draw();
        char line[256];
        for (int p = 0; p < SCORE_LINES; ++p) {
            std::snprintf(line, sizeof(line), "%s ( %d )\n", "Player", 10 * p);
            text.setTop(1.0f - static_cast<float>(p) * 0.05f);
            text.setColour(shapes[p].colour.r, shapes[p].colour.g, shapes[p].colour.b, 1.0f);
            text.print(line);
        }
        text.setTop(-0.75f);
        text.setColour(0.75f, 0.75f, 0.75f, 1.0f);
        text.print("Sound is Enabled, to Disable press 'Z'");
        endScene();
    }
};

void setUpDevice() {
    renderWindow window;
    window.areaWidth = AREA;
    window.areaHeight = AREA;
    initialiseRender(window, 1.0f, 100.0f);
    g_pd3dDevice->setSamplerFilters(0, textureFilter::linear, textureFilter::linear, textureFilter::linear);
    g_pd3dDevice->setAlphaBlend(true);
    g_pd3dDevice->setBlendFactors(blendFactor::sourceAlpha, blendFactor::inverseSourceAlpha);
}

void BM_BusyFrame(benchmark::State& state) {
    setUpDevice();
    busyScene scene;
    scene.draw();
    // The reference picture of this frame, written where the benchmark runs.
    g_pd3dDevice->saveFramePNG("busy_frame.png");
    for (auto _ : state)
        scene.draw();
    int lines = 0;
    for (const placedShape& placed : scene.shapes)
        lines += scene.kinds[placed.shape].getNumVertices();
    for (const auto& explosion : scene.explosions)
        lines += explosion->getParticleCount();
    state.counters["lines"] = lines;
}
BENCHMARK(BM_BusyFrame)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_ShapeLinesOnly(benchmark::State& state) {
    setUpDevice();
    busyScene scene;
    matrix view = scene.eye.getViewMatrix();
    transpose(&view, &view);
    g_pd3dDevice->setTransform(transformState::view, view);
    for (auto _ : state) {
        for (const placedShape& placed : scene.shapes)
            scene.outlines.draw(placed.shape, placed.world, placed.colour);
        for (const auto& explosion : scene.explosions)
            explosion->draw();
    }
}
BENCHMARK(BM_ShapeLinesOnly)->Unit(benchmark::kMillisecond);

} // namespace
