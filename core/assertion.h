#pragma once

#include <string>

constexpr int ASSERTION_BUFFER_SIZE = 512;

// Reports a broken invariant of the program's own. message is a printf format
// filled by the further values. Returns only when the handler answers Debug
// (having stopped in the debugger, if one is attached); No ends the program
// with exit status 1.
void reportAssertion(const char* message, const char* condition, const char* file, int line, ...);

// The answer a handler gives to a report.
enum class AssertionAnswer { Debug, Quit };

// A handler receives the caption and the formatted report text. Tests install
// one that records reports and answers Debug, so the call returns.
using AssertionHandler = AssertionAnswer (*)(const char* caption, const char* text);

// Returns the previous handler; nullptr restores the default. Safe to call from any thread.
// The program installs one that asks the user (a message box, else the terminal).
AssertionHandler setAssertionHandler(AssertionHandler handler);
// Writes the report to standard error and answers No: there is nobody to ask.
AssertionAnswer defaultAssertionHandler(const char* caption, const char* text);

// Formats the report exactly as shown to the user (at most 511 characters).
std::string formatAssertion(const char* message, const char* condition, const char* file, int line, ...);

// Reports when holds is false and returns holds, so a caller can both report
// and step around the broken invariant. Use through ZEB_ASSERT.
template <typename... Values>
inline bool checkAssertion(bool holds, const char* condition, const char* message, const char* file, int line,
                           Values... values) {
    if (!holds)
        reportAssertion(message, condition, file, line, values...);
    return holds;
}

// ZEB_ASSERT(condition, message, values...) is an expression: the condition's truth.
// The condition's own source text, in parentheses, becomes the report's condition.
#define ZEB_ASSERT(condition, message, ...)                                                                  \
    checkAssertion(static_cast<bool>(condition), "( " #condition " )", message, __FILE__,                    \
                   __LINE__ __VA_OPT__(, ) __VA_ARGS__)

// A report with no condition to test.
#define ZEB_FAIL(message) reportAssertion(message, "Forced Failure", __FILE__, __LINE__)
