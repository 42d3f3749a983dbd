#include "platform/system/childprocess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <ctime>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

extern char** environ;

namespace {

constexpr const char* OWN_PROGRAM = "/proc/self/exe";
constexpr long REAP_POLL_NANOSECONDS = 5000000; // 5 ms between looks at the children

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

pid_t startProgramCopy(const std::vector<std::string>& arguments, const std::string& folder) {
    if (mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST)
        return -1;
    std::vector<std::string> words = {"zeb"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    // The copy shares only the standard streams: a socket or file of this process
    // kept open in it would stay taken (a game port, a log) while the copy lives.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    pid_t child = -1;
    const int failed = posix_spawn(&child, OWN_PROGRAM, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed == 0 ? child : -1;
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
