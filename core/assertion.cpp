#include "core/assertion.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

const char* const ASSERTION_CAPTION = "Would you like to debug?";
const char* const ASSERTION_TEMPLATE = "This application has hit an error: \nAssertion as follows;\n\n"
                                       "\tMessage: \"%s\"\t\tCondition: \"%s\"\n\n\n"
                                       "\tLine: %d\t\tFile: \"%s\"";
constexpr int ASSERTION_QUIT_STATUS = 1;

std::atomic<AssertionHandler> g_assertionHandler{&defaultAssertionHandler};

// Reports from several threads are shown one after another.
std::mutex g_reportMutex;

const char* orEmpty(const char* text) {
    return text != nullptr ? text : "";
}

// Fills printed (ASSERTION_BUFFER_SIZE bytes) with the report; both steps truncate.
void formatReport(char* printed, const char* message, const char* condition, const char* file, int line,
                  va_list values) {
    char output[ASSERTION_BUFFER_SIZE];
    output[0] = '\0';
    if (message != nullptr)
        std::vsnprintf(output, sizeof(output), message, values);
    std::snprintf(printed, ASSERTION_BUFFER_SIZE, ASSERTION_TEMPLATE, output, orEmpty(condition), line,
                  orEmpty(file));
}

} // namespace

void reportAssertion(const char* message, const char* condition, const char* file, int line, ...) {
    char printed[ASSERTION_BUFFER_SIZE];
    va_list values;
    va_start(values, line);
    formatReport(printed, message, condition, file, line, values);
    va_end(values);

    const AssertionHandler handler = g_assertionHandler.load(std::memory_order_acquire);
    if (handler(ASSERTION_CAPTION, printed) == AssertionAnswer::Quit)
        std::exit(ASSERTION_QUIT_STATUS);
}

AssertionHandler setAssertionHandler(AssertionHandler handler) {
    return g_assertionHandler.exchange(handler != nullptr ? handler : &defaultAssertionHandler,
                                       std::memory_order_acq_rel);
}

AssertionAnswer defaultAssertionHandler(const char* caption, const char* text) {
    const std::lock_guard<std::mutex> lock(g_reportMutex);
    std::fprintf(stderr, "%s\n\n%s\n(nobody to ask: answering No)\n", orEmpty(text), orEmpty(caption));
    return AssertionAnswer::Quit;
}

std::string formatAssertion(const char* message, const char* condition, const char* file, int line, ...) {
    char printed[ASSERTION_BUFFER_SIZE];
    va_list values;
    va_start(values, line);
    formatReport(printed, message, condition, file, line, values);
    va_end(values);
    return std::string(printed);
}
