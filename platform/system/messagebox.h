#pragma once

// A modal Yes/No question with no owner window.
enum class MessageBoxAnswer { Yes, No, Failed };

// Shows caption and text with the information icon; Failed when no box can be shown
// (no display), at once and without blocking.
MessageBoxAnswer askYesNo(const char* caption, const char* text);

// The same question on the terminal: the text goes to standard error and the answer
// is read from standard input when it is a terminal; otherwise the answer is No.
MessageBoxAnswer askYesNoOnConsole(const char* caption, const char* text);
