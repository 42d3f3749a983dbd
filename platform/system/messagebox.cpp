#include "platform/system/messagebox.h"

#include <SDL.h>

#include <cctype>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr int BUTTON_YES = 1;
constexpr int BUTTON_NO = 0;
constexpr int CONSOLE_ATTEMPTS = 5;
constexpr int CONSOLE_LINE_SIZE = 64;

const char* orEmpty(const char* text) {
    return text != nullptr ? text : "";
}

// First non-blank character of the line, lower case; 0 for a blank line.
int firstLetter(const char* line) {
    for (; *line != '\0'; ++line) {
        if (!std::isspace(static_cast<unsigned char>(*line)))
            return std::tolower(static_cast<unsigned char>(*line));
    }
    return 0;
}

} // namespace

MessageBoxAnswer askYesNo(const char* caption, const char* text) {
    const SDL_MessageBoxButtonData buttons[] = {
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, BUTTON_YES, "Yes"},
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, BUTTON_NO, "No"},
    };
    SDL_MessageBoxData data{};
    data.flags = SDL_MESSAGEBOX_INFORMATION;
    data.window = nullptr;
    data.title = orEmpty(caption);
    data.message = orEmpty(text);
    data.numbuttons = static_cast<int>(sizeof(buttons) / sizeof(buttons[0]));
    data.buttons = buttons;
    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0)
        return MessageBoxAnswer::Failed;
    // Closing the box without a button counts as No.
    return pressed == BUTTON_YES ? MessageBoxAnswer::Yes : MessageBoxAnswer::No;
}

MessageBoxAnswer askYesNoOnConsole(const char* caption, const char* text) {
    std::fprintf(stderr, "%s\n\n%s\n", orEmpty(text), orEmpty(caption));
    if (!isatty(STDIN_FILENO)) {
        std::fprintf(stderr, "(standard input is not a terminal: answering No)\n");
        return MessageBoxAnswer::No;
    }
    for (int attempt = 0; attempt < CONSOLE_ATTEMPTS; ++attempt) {
        std::fprintf(stderr, "[y/n] ");
        std::fflush(stderr);
        char line[CONSOLE_LINE_SIZE];
        if (std::fgets(line, sizeof(line), stdin) == nullptr)
            return MessageBoxAnswer::No;
        const int letter = firstLetter(line);
        if (letter == 'y')
            return MessageBoxAnswer::Yes;
        if (letter == 'n')
            return MessageBoxAnswer::No;
    }
    return MessageBoxAnswer::No;
}
