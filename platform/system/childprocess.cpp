#include "platform/system/childprocess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <ctime>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr const char* OWN_PROGRAM = "/proc/self/exe";
constexpr long REAP_POLL_NANOSECONDS = 5000000; // 5 ms between looks at the children
constexpr int CHILD_NOT_STARTED = 127;          // the shell's status for a program that cannot run

bool reapAll(std::vector<pid_t>& running) {
    for (size_t i = 0; i < running.size();) {
        const pid_t done = waitpid(running[i], nullptr, WNOHANG);
        if (done == running[i] || (done < 0 && errno == ECHILD))
            running.erase(running.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++i;
    }
    return running.empty();
}

} // namespace

// The child asks the kernel for SIGTERM when this process ends, however it
// ends (a SIGKILL included), so no copy outlives its host. The request is made
// between fork and exec, where only async-signal-safe calls are allowed; it
// belongs to the thread that forks, which is the program's main thread. A
// parent that ended before the request was made is caught by its id.
pid_t startProgramCopy(const std::vector<std::string>& arguments, const std::string& folder) {
    if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST)
        return -1;
    std::vector<std::string> words = {"zeb"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t child = fork();
    if (child != 0)
        return child; // -1 when it could not be made
    // The copy shares only the standard streams: a socket or file of this
    // process kept open in it would stay taken (a game port, a log) while the
    // copy lives. And it ends with this process, however that ends.
    close_range(3, ~0U, 0);
    if (prctl(PR_SET_PDEATHSIG, SIGTERM) != 0 || getppid() != parent || chdir(folder.c_str()) != 0)
        _exit(CHILD_NOT_STARTED);
    execve(OWN_PROGRAM, argv.data(), environ);
    _exit(CHILD_NOT_STARTED);
}

void stopProgramCopies(const std::vector<pid_t>& children, int timeoutMs) {
    std::vector<pid_t> running = children;
    for (const pid_t child : running)
        kill(child, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!reapAll(running) && std::chrono::steady_clock::now() < deadline) {
        const timespec pause = {0, REAP_POLL_NANOSECONDS};
        nanosleep(&pause, nullptr);
    }
    for (const pid_t child : running) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
}
