#include "platform/system/assertionbox.h"

#include "platform/system/debugger.h"
#include "platform/system/messagebox.h"

#include <mutex>

namespace {

std::mutex g_askMutex; // reports from several threads are asked one after another

} // namespace

AssertionAnswer askAboutAssertion(const char* caption, const char* text) {
    const std::lock_guard<std::mutex> lock(g_askMutex);
    MessageBoxAnswer answer = askYesNo(caption, text);
    if (answer == MessageBoxAnswer::Failed)
        answer = askYesNoOnConsole(caption, text);
    if (answer != MessageBoxAnswer::Yes)
        return AssertionAnswer::Quit;
    breakIntoDebugger();
    return AssertionAnswer::Debug;
}
