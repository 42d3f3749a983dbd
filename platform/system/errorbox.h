#pragma once

// A modal message with an OK button and the error icon; returns at once when
// no box can be shown (no display).
void showErrorBox(const char* caption, const char* text);
