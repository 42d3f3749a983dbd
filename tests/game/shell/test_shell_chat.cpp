#include "game/shell/gameshell.h"
#include "game/shell/shelloptions.h"
#include "platform/system/syntheticinput.h"
#include "platform/system/virtualkeys.h"
#include "platform/system/window.h"
#include "tests/app/appchecks.h"
#include "tests/app/appprocess.h"

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

using namespace win;

namespace {

constexpr float FRAME = 0.03f;

// Takes what the window system has queued, as the window's loop does before a frame.
void pump() {
    windowMessage message;
    for (int pass = 0; pass < 100; ++pass) {
        if (peekMessage(message) && message.message != WM_QUIT)
            dispatchMessage(message);
    }
}

template <typename Condition> bool framesUntil(ZEBGameShell& game, Condition condition, int maxFrames) {
    for (int frame = 0; frame < maxFrames; ++frame) {
        pump();
        EXPECT_TRUE(game.update(FRAME));
        if (condition())
            return true;
        waitUntil([] { return false; }, 2);
    }
    return false;
}

void press(uint32_t key) {
    pushKeyEvent(key, true, false, false);
    pushKeyEvent(key, false, false, false);
}

// The game reads which keys are down once a frame: a key that opens the line
// is held over a frame, as a player's press is.
bool openLine(ZEBGameShell& game, uint32_t key) {
    pushKeyEvent(key, true, false, false);
    const bool opened = framesUntil(
        game, [&] { return game.isTyping(); }, 10);
    pushKeyEvent(key, false, false, false);
    return opened;
}

bool shows(const ZEBGameShell& game, const std::string& text) {
    for (const shownChatLine& line : game.getChat().getLines()) {
        if (line.text == text)
            return true;
    }
    return false;
}

} // namespace

// A window hosting its own game on loopback: T opens the line, the ship's
// keys stop acting, Enter sends it through the host and back to the window;
// Escape drops a line.
TEST(shellChat, aLineTypedInTheWindowComesBackFromTheHostAndEscapeDropsOne) {
    useLoopbackDiscovery();
    useHeadlessDrivers();
    const std::string folder = makeTempFolder("chat");
    ASSERT_TRUE(copyGameData(folder));
    ASSERT_EQ(chdir(folder.c_str()), 0);
    shellOptions options;
    options.port = findFreePort();
    const char* reason = nullptr;
    ASSERT_TRUE(initialiseWindowSystem(&reason)) << reason;
    gameWindow* window = createGameWindow(WINDOW_TITLE, nullptr);
    ASSERT_NE(window, nullptr);
    auto game = std::make_unique<ZEBGameShell>(options);
    game->attachWindow(window);
    game->start();
    ASSERT_TRUE(framesUntil(
        *game, [&] { return game->isPlaying() && game->getSession()->getCollector().canChat(); }, 3000));

    ASSERT_TRUE(openLine(*game, 'T'));
    pushKeyEvent('W', true, false, false); // thrust, while typing
    pushTextEvent("hi th");
    pushTextEvent("\xC3\xA9!"); // Backspace takes back a whole character
    press(VK_BACK);
    press(VK_BACK);
    pushTextEvent("ere");
    ASSERT_TRUE(framesUntil(
        *game, [&] { return game->getTextEntry().getText() == "hi there"; }, 10))
        << game->getTextEntry().getText();
    EXPECT_FALSE(game->getKeys().isDown('W'));
    EXPECT_FALSE(game->getInput().up);
    game->render();
    press(VK_RETURN);
    const std::string expected = game->getPlayerName() + ": hi there";
    ASSERT_TRUE(framesUntil(
        *game, [&] { return shows(*game, expected); }, 300));
    EXPECT_FALSE(game->isTyping());
    game->render();

    ASSERT_TRUE(openLine(*game, VK_RETURN)); // Enter opens a line too
    pushTextEvent("never");
    press(VK_ESCAPE);
    ASSERT_TRUE(framesUntil(
        *game, [&] { return !game->isTyping(); }, 10));
    ASSERT_TRUE(openLine(*game, 'T'));
    pushTextEvent("last");
    press(VK_RETURN);
    ASSERT_TRUE(framesUntil(
        *game, [&] { return shows(*game, game->getPlayerName() + ": last"); }, 300));
    EXPECT_FALSE(shows(*game, game->getPlayerName() + ": never"));
    destroyWindow(window);
}
