#include "platform/language/translation.h"
#include "platform/system/menufont.h"
#include "platform/system/namebox.h"
#include "platform/system/pixeldraw.h"

#include <string>

namespace {

constexpr rgb TEXT_COLOUR = {0, 0, 0};
constexpr rgb REASON_COLOUR = {170, 0, 0};
constexpr rgb FIELD_COLOUR = {255, 255, 255};
constexpr rgb FIELD_BORDER_COLOUR = {0, 120, 215};
constexpr int TEXT_LEFT = 14;
constexpr int PROMPT_TOP = 30;
constexpr int FIELD_INSET = 4;
constexpr int REASON_TOP = 72;
constexpr int LINE_SPACING = 12;
constexpr int REASON_LINES = 2;

bool startsCharacter(char c) {
    return (static_cast<unsigned char>(c) & 0xC0u) != 0x80u;
}

// The end of text that fits in width: the end is where the typing goes on.
std::string visibleTail(const std::string& text, int width) {
    size_t start = 0;
    while (start < text.size() && plainTextWidth(text.substr(start)) > width) {
        ++start;
        while (start < text.size() && !startsCharacter(text[start]))
            ++start;
    }
    return text.substr(start);
}

// The reason in at most REASON_LINES lines, broken at spaces.
void drawReason(SDL_Renderer* renderer, const std::string& reason, int x, int y, int width) {
    const size_t perLine = static_cast<size_t>(width / MENU_GLYPH_ADVANCE);
    size_t from = 0;
    for (int line = 0; line < REASON_LINES && from < reason.size(); ++line) {
        size_t end = reason.size();
        if (end - from > perLine) {
            end = reason.rfind(' ', from + perLine);
            end = (end == std::string::npos || end <= from) ? from + perLine : end;
        }
        drawText(renderer, reason.substr(from, end - from), x, y + line * LINE_SPACING, REASON_COLOUR);
        from = end;
        while (from < reason.size() && reason[from] == ' ')
            ++from;
    }
}

} // namespace

void paintNameBox(const nameBox& box, void* nativeRenderer) {
    SDL_Renderer* renderer = static_cast<SDL_Renderer*>(nativeRenderer);
    if (renderer == nullptr || !box.isOpen())
        return;
    const boxRect frame = box.frame();
    paintBoxFrame(renderer, frame, tr(NAME_CAPTION), box.isButtonPressed());
    drawText(renderer, tr(NAME_PROMPT), frame.x + TEXT_LEFT, frame.y + PROMPT_TOP, TEXT_COLOUR);
    const boxRect field = box.field();
    fillRectangle(renderer, field.x, field.y, field.w, field.h, FIELD_COLOUR);
    outlineRectangle(renderer, field.x, field.y, field.w, field.h, FIELD_BORDER_COLOUR);
    const std::string shown = visibleTail(box.getText(), field.w - 2 * FIELD_INSET - MENU_GLYPH_ADVANCE);
    const int textTop = field.y + (field.h - MENU_GLYPH_HEIGHT) / 2 + 1;
    drawText(renderer, shown, field.x + FIELD_INSET, textTop, TEXT_COLOUR);
    const int caret = field.x + FIELD_INSET + plainTextWidth(shown);
    fillRectangle(renderer, caret, textTop - 1, 1, MENU_GLYPH_HEIGHT, TEXT_COLOUR);
    drawReason(renderer, box.getReason(), frame.x + TEXT_LEFT, frame.y + REASON_TOP, frame.w - 2 * TEXT_LEFT);
}
