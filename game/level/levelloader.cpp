#include "game/level/levelloader.h"

#include "game/level/qxl.h"

#include <cmath>
#include <cstring>

namespace {

void loadObject(const QXL::ElementHandle& object, std::vector<ZEBObject>& objects) {
    char typeText[LEVEL_TEXT_SIZE];
    object.getChild("type").readString(typeText, LEVEL_TEXT_SIZE);
    const ZEBObjectType type = objectTypeFromText(typeText);

    const QXL::ElementHandle vertices = object.getChild("vertices");
    const int count = vertices.getAttribute("count").readInteger();
    if (count < 0 || count > MAX_SHAPE_VERTICES)
        throw QXL::InvalidFileFormatException();
    std::vector<float> numbers(3 * static_cast<size_t>(count));
    // A count of 0 gives an empty destination, which the reader refuses.
    const int read = vertices.readVertexList(count > 0 ? numbers.data() : nullptr, 3 * count);
    if (read != count)
        throw QXL::InvalidFileFormatException();
    std::vector<vector3> points;
    points.reserve(count);
    for (int i = 0; i < count; ++i)
        points.emplace_back(numbers[3 * i], numbers[3 * i + 1], numbers[3 * i + 2]);

    ZEBObject shape;
    shape.create(type, points.data(), count);
    objects.push_back(shape);
}

LevelSettings loadSettings(const QXL::ElementHandle& level) {
    char background[LEVEL_TEXT_SIZE];
    level.getChild("background").readString(background, LEVEL_TEXT_SIZE);
    const int asteroids = level.getChild("asteroids").readInteger();
    const float speed = level.getChild("speed").readFloat();
    if (asteroids < 0 || asteroids > MAX_ASTEROID_FAMILIES || !std::isfinite(speed))
        throw QXL::InvalidFileFormatException();
    return LevelSettings{asteroids, speed};
}

} // namespace

ZEBObjectType objectTypeFromText(const char* text) {
    if (std::strcmp(text, "player") == 0)
        return TYPE_PLAYER;
    if (std::strcmp(text, "bullet") == 0)
        return TYPE_BULLET;
    if (std::strcmp(text, "asteroid") == 0)
        return TYPE_ASTEROID;
    return TYPE_UNKNOWN;
}

LevelData loadLevel(const std::string& fileName) {
    LevelData level;
    const QXL::ElementHandle root = QXL::open(fileName);
    for (int i = 0; i < root.getChildCount(); ++i) {
        const QXL::ElementHandle child = root.getChild(i);
        const std::string name = child.getName();
        if (name == "object") {
            if (child.hasChild("type") && child.hasChild("vertices"))
                loadObject(child, level.shapes);
        } else if (name == "level") {
            level.settings = loadSettings(child);
        }
    }
    return level;
}
