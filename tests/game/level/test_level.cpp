#include "core/random.h"
#include "game/common/hostedlevel.h"
#include "game/level/levelloader.h"
#include "game/level/qxl.h"
#include "game/server/zebhostedgamestate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::string assetPath(const char* name) {
    const char* source = std::getenv("ZEB_SOURCE_DIR");
    return std::string(source != nullptr ? source : ".") + "/assets/" + name;
}

// Writes a level file into the test's working directory and returns its name.
std::string writeLevel(const std::string& name, const std::string& body) {
    const std::string fileName = "level_test_" + name + ".xml";
    std::ofstream(fileName) << "<?xml version=\"1.0\"?>\n<zeb>\n" << body << "</zeb>\n";
    return fileName;
}

std::string object(const std::string& type, const std::string& attributes, const std::string& text) {
    return "<object><type>" + type + "</type><vertices " + attributes + ">" + text + "</vertices></object>\n";
}

std::string level(const std::string& asteroids, const std::string& speed) {
    return "<level><background>stars</background><asteroids>" + asteroids + "</asteroids><speed>" + speed +
           "</speed></level>\n";
}

std::vector<ZEBObject> load(const std::string& name, const std::string& body) {
    return loadLevel(writeLevel(name, body)).shapes;
}

float extent(const ZEBObject& shape, bool alongX, float sign) {
    float best = -1e9f;
    for (int i = 0; i < shape.getNumVertices(); ++i) {
        const vector3& v = shape.getVertices()[i];
        best = std::max(best, sign * (alongX ? v.x : v.y));
    }
    return best;
}

} // namespace

TEST(Level, ShippedLevelHasItsShapesAndSettings) {
    const std::vector<ZEBObject> objects = loadLevel(assetPath("level_0.xml")).shapes;
    int ships = 0, bullets = 0, asteroids = 0;
    for (const ZEBObject& shape : objects) {
        if (shape.getType() == TYPE_PLAYER) {
            ++ships;
            const float length = extent(shape, true, 1.0f) + extent(shape, true, -1.0f);
            EXPECT_GE(length, 2.0f);
            EXPECT_LE(length, 3.0f);
            EXPECT_GT(extent(shape, true, 1.0f), extent(shape, true, -1.0f)); // nose along +x
        } else if (shape.getType() == TYPE_BULLET) {
            ++bullets;
            const float across = extent(shape, true, 1.0f) + extent(shape, true, -1.0f);
            EXPECT_GE(across, 0.3f);
            EXPECT_LE(across, 0.5f);
        } else if (shape.getType() == TYPE_ASTEROID) {
            ++asteroids;
            EXPECT_GE(shape.getNumVertices(), 8);
            EXPECT_LE(shape.getNumVertices(), 14);
            for (int i = 0; i < shape.getNumVertices(); ++i) {
                const vector3& v = shape.getVertices()[i];
                EXPECT_NEAR(std::sqrt(v.x * v.x + v.y * v.y), 1.0f, 0.35f);
            }
        }
    }
    EXPECT_EQ(ships, 1);
    EXPECT_EQ(bullets, 1);
    EXPECT_GE(asteroids, 3);

    seedRandom(7);
    ZEBHostedGameState game;
    std::vector<ZEBObject> serverObjects;
    hostLevel(loadLevel(assetPath("level_0.xml")), game, serverObjects);
    EXPECT_EQ(serverObjects.size(), objects.size());
    EXPECT_GE(game.getNumberOfAsteroids(), 3);
    EXPECT_LE(game.getNumberOfAsteroids(), 5);
    const float crossing = 20.0f / game.getAsteroidSpeed();
    EXPECT_GE(crossing, 10.0f);
    EXPECT_LE(crossing, 20.0f);
    // The game sorted the shapes: its asteroids and ships use shapes of their kind.
    game.createAsteroids();
    ASSERT_EQ(game.getElementCount(), 7 * game.getNumberOfAsteroids());
    for (int id = 0; id < game.getElementCount(); ++id)
        EXPECT_EQ(serverObjects[game.getElement(id).getObjectID()].getType(), TYPE_ASTEROID);
    const int ship = game.addPlayer(1, "Player");
    EXPECT_EQ(serverObjects[game.getElement(ship).getObjectID()].getType(), TYPE_PLAYER);
    EXPECT_EQ(serverObjects[game.getElement(ship + 1).getObjectID()].getType(), TYPE_BULLET);
}

TEST(Level, LevelElementsOnlyAndTheLastOneWins) {
    const LevelData data = loadLevel(writeLevel("levels", level("3", "1.0") + level("12 apples", " 2.5x")));
    EXPECT_TRUE(data.shapes.empty());
    ASSERT_TRUE(data.settings.has_value());
    EXPECT_EQ(data.settings->asteroids, 12);
    EXPECT_EQ(data.settings->speed, 2.5f);
    // Without a level element the game keeps its own settings.
    ZEBHostedGameState game;
    game.setAsteroids(4, 1.5f);
    std::vector<ZEBObject> shapes;
    hostLevel(loadLevel(writeLevel("nolevel", object("asteroid", "count=\"1\"", "1,2,3;"))), game, shapes);
    EXPECT_EQ(shapes.size(), 1u);
    EXPECT_EQ(game.getNumberOfAsteroids(), 4);
    EXPECT_EQ(game.getAsteroidSpeed(), 1.5f);
}

TEST(Level, TypesVerticesAndSkippedObjects) {
    const std::string body = object(" player", "count=\"1\"", "1,2,3;") +
                             "<object><type>bullet</type></object>\n" + // no vertices: skipped
                             "<other/>\n" +
                             object("asteroid", "count=\"3\"", "1,1,0; 2,2,0;\n3,3,0; 4,4,0; 5,5,0;") +
                             object("Bullet", "count=\"2\" delimiter=\"|\" terminator=\"/\"", "1|2|3/4|5|6/");
    const std::vector<ZEBObject> objects = load("types", body);
    ASSERT_EQ(objects.size(), 3u);
    EXPECT_EQ(objects[0].getType(), TYPE_UNKNOWN);
    EXPECT_EQ(objects[1].getType(), TYPE_ASTEROID);
    ASSERT_EQ(objects[1].getNumVertices(), 3);
    EXPECT_EQ(objects[1].getVertices()[2], vector3(3, 3, 0));
    EXPECT_EQ(objects[2].getType(), TYPE_UNKNOWN);
    ASSERT_EQ(objects[2].getNumVertices(), 2);
    EXPECT_EQ(objects[2].getVertices()[0], vector3(1, 2, 3));
    EXPECT_EQ(objects[2].getVertices()[1], vector3(4, 5, 6));
}

TEST(Level, BlanksAroundSeparators) {
    // White space may precede a number and the terminator, never a delimiter.
    const std::vector<ZEBObject> objects =
        load("blanks", object("asteroid", "count=\"2\"", " 1.0,\n2.0,  3.0 ;4,5,6;"));
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(objects[0].getVertices()[0], vector3(1, 2, 3));
    EXPECT_EQ(objects[0].getVertices()[1], vector3(4, 5, 6));
    EXPECT_THROW(load("blankdelim", object("asteroid", "count=\"1\"", "1.0 , 2.0, 3.0;")),
                 QXL::InvalidFileFormatException);
}

TEST(Level, SameDelimiterAndTerminatorOverlapRecords) {
    const std::vector<ZEBObject> objects =
        load("overlap", object("asteroid", "count=\"2\" delimiter=\",\" terminator=\",\"", "1,2,3,4,5,6,"));
    ASSERT_EQ(objects[0].getNumVertices(), 2);
    EXPECT_EQ(objects[0].getVertices()[1], vector3(2, 3, 4));
}

TEST(Level, BadVertexListsAreRefused) {
    EXPECT_THROW(load("short", object("asteroid", "count=\"4\"", "1,2,3; 4,5,6; 7,8,9;")),
                 QXL::InvalidFileFormatException);
    EXPECT_THROW(load("noterm", object("asteroid", "count=\"2\"", "1,2,3")), QXL::InvalidFileFormatException);
    EXPECT_THROW(load("twonumbers", object("asteroid", "count=\"1\"", "1,2;")),
                 QXL::InvalidFileFormatException);
    EXPECT_THROW(load("negative", object("asteroid", "count=\"-1\"", "1,2,3;")),
                 QXL::InvalidFileFormatException);
    EXPECT_THROW(load("huge", object("asteroid", "count=\"2000000000\"", "1,2,3;")),
                 QXL::InvalidFileFormatException);
    EXPECT_THROW(load("zero", object("asteroid", "count=\"0\"", "")), QXL::InvalidParameterException);
    EXPECT_THROW(load("nocount", object("asteroid", "", "1,2,3;")), QXL::InvalidFileFormatException);
    EXPECT_THROW(load("longdelim", object("asteroid", "count=\"1\" delimiter=\",,\"", "1,2,3;")),
                 QXL::InvalidFileFormatException);
    EXPECT_THROW(load("emptyterm", object("asteroid", "count=\"1\" terminator=\"\"", "1,2,3;")),
                 QXL::InvalidFileFormatException);
}

TEST(Level, BadLevelsFailWithoutAGameToo) {
    EXPECT_THROW(load("noint", level("many", "1.0")), QXL::InvalidFileFormatException);
    EXPECT_THROW(load("nospeed", "<level><background>b</background><asteroids>3</asteroids></level>"),
                 QXL::InvalidFileFormatException);
    EXPECT_THROW(load("nobackground", "<level><asteroids>3</asteroids><speed>1</speed></level>"),
                 QXL::InvalidFileFormatException);
    EXPECT_THROW(load("toomany", level("100000", "1.0")), QXL::InvalidFileFormatException);
    EXPECT_THROW(load("nan", level("3", "nan")), QXL::InvalidFileFormatException);
    EXPECT_THROW(load("overflow", level("99999999999", "1.0")), QXL::InvalidFileFormatException);
}

TEST(Level, FilesThatCannotBeUsed) {
    try {
        loadLevel("no_such_level.xml");
        ADD_FAILURE() << "a missing file loaded";
    } catch (const QXL::InvalidFileFormatException&) {
        ADD_FAILURE() << "a missing file is not a format error";
    } catch (const QXL::Exception&) {
    }
    std::ofstream("level_test_broken.xml") << "<zeb><level><background>b</background></zeb>";
    EXPECT_THROW(loadLevel("level_test_broken.xml"), QXL::InvalidFileFormatException);
    std::ofstream("level_test_empty.xml") << "";
    EXPECT_THROW(loadLevel("level_test_empty.xml"), QXL::InvalidFileFormatException);
    // A bad object after a good one fails the whole file.
    EXPECT_THROW(loadLevel(writeLevel("partial", object("asteroid", "count=\"1\"", "1,2,3;") +
                                                     object("asteroid", "count=\"1\"", "x"))),
                 QXL::InvalidFileFormatException);
}

TEST(Qxl, WritersRoundTripWithReaders) {
    QXL::ElementHandle root(newXmlDocument("root"));
    QXL::ElementHandle value(newXmlDocument("value"));
    value.writeInteger(-42);
    EXPECT_EQ(value.readInteger(), -42);
    value.writeFloat(3.14159f);
    EXPECT_FLOAT_EQ(value.readFloat(), 3.142f);
    value.writeString("hello world");
    char text[6];
    EXPECT_EQ(value.readString(text, sizeof(text)), 5);
    EXPECT_STREQ(text, "hello");
    EXPECT_THROW(value.readString(nullptr, 4), QXL::InvalidParameterException);

    const float two[2] = {1.5f, -2.25f};
    value.writeFloat2(two);
    float readTwo[2] = {};
    value.readFloat2(readTwo);
    EXPECT_EQ(readTwo[1], -2.25f);
    const float three[3] = {1.0f, 2.0f, 3.0f};
    value.writeFloat3(three);
    float readThree[3] = {};
    value.readFloat3(readThree);
    EXPECT_EQ(readThree[2], 3.0f);

    const int integers[4] = {5, -6, 7, 8};
    value.writeIntegerList(integers, 4);
    int readIntegers[8] = {};
    EXPECT_EQ(value.readIntegerList(readIntegers, 8), 4);
    EXPECT_EQ(readIntegers[1], -6);
    EXPECT_EQ(value.readIntegerList(readIntegers, 2), 2); // capacity bounds the read

    const float floats[3] = {0.5f, 0.25f, -1.0f};
    value.writeFloatList(floats, 3);
    float readFloats[3] = {};
    EXPECT_EQ(value.readFloatList(readFloats, 3), 3);
    EXPECT_EQ(readFloats[2], -1.0f);

    const float eight[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    value.writeFloat2List(eight, 5); // two whole records
    float readEight[16] = {};
    EXPECT_EQ(value.getAttribute("count").readInteger(), 2);
    EXPECT_EQ(value.readFloat2List(readEight, 16), 2);
    EXPECT_EQ(readEight[3], 4.0f);
    value.writeVertexList(eight, 9);
    EXPECT_EQ(value.readVertexList(readEight, 16), 3);
    EXPECT_EQ(readEight[8], 9.0f);
    value.writeFloat8List(eight, 16);
    EXPECT_EQ(value.readFloat8List(readEight, 16), 2);
    EXPECT_EQ(readEight[15], 16.0f);

    EXPECT_THROW(value.writeVertexList(eight, 2), QXL::InvalidParameterException);
    EXPECT_THROW(value.writeFloatList(nullptr, 3), QXL::InvalidParameterException);
    EXPECT_THROW(value.readVertexList(readEight, 0), QXL::InvalidParameterException);
    EXPECT_THROW(QXL::ElementHandle{xmlElement{}}, QXL::InvalidParameterException);
    EXPECT_THROW(root.getChild("missing"), QXL::InvalidFileFormatException);
}
