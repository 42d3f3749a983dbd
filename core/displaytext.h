#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Text received from another copy (a player's name, a session name) made safe
// to draw or print: it is cut at the first byte that does not continue valid
// UTF-8 (overlong forms, surrogates and values past U+10FFFF are invalid), and
// every control character (C0, DEL, C1) and every bidirectional control
// (U+061C, U+200E, U+200F, U+202A to U+202E, U+2066 to U+2069) becomes
// DISPLAY_REPLACEMENT. The result is never longer than the input.
constexpr char DISPLAY_REPLACEMENT = '?';

std::string makeDisplayText(const char* text, size_t length);
std::string makeDisplayText(const std::string& text);

// The character at text[at] (at < text.size()), advancing at past it; a byte
// that starts no valid sequence is taken alone as U+FFFD.
constexpr uint32_t REPLACEMENT_CHARACTER = 0xFFFD;
uint32_t nextCharacter(const std::string& text, size_t& at);

// The longest start of UTF-8 text of at most maxBytes that ends between two characters.
std::string cutAtCharacter(const std::string& text, size_t maxBytes);

// The same text for an error line on a terminal, where nothing may be lost:
// valid UTF-8 that is safe to show stays as it is, every other byte is shown
// as \xNN, so the line stays one line and shows what the file held.
std::string makeEscapedText(const std::string& text);
