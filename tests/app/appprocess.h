#pragma once

#include <sys/socket.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <sys/types.h>
#include <vector>

// Runs copies of the real program for end-to-end tests: each in a working
// folder of its own, its output kept in files there, every wait bounded.

struct appProcess {
    pid_t pid = -1;
    std::string folder;
    bool exited = false;
    int status = 0; // the wait status once exited
};

// Every folder makeTempFolder made in this process.
std::vector<std::string>& createdTempFolders();
std::string makeTempFolder(const std::string& tag);

// Copies the level and the three sounds from the source tree (ZEB_SOURCE_DIR)
// into folder; false when one cannot be copied.
bool copyGameData(const std::string& folder);

// Starts program with arguments in folder; extraEnvironment entries
// ("NAME=value") are added to (or replace) this process's environment; a bare
// "NAME" removes that variable. XDG_CONFIG_HOME is folder/config and
// XDG_DATA_HOME folder/data unless given, so no copy reads or writes the
// user's settings or recordings.
// Standard input is input (/dev/null unless given: a FIFO lets a test type).
appProcess startProgram(const std::string& program, const std::vector<std::string>& arguments,
                        const std::string& folder, const std::vector<std::string>& extraEnvironment = {},
                        const std::string& input = "/dev/null");

bool waitForExit(appProcess& process, int timeoutMs);
void stopProcess(appProcess& process, int signal); // sends the signal; does not wait
void killAndReap(appProcess& process);             // SIGKILL and wait, for clean-up
int exitCode(const appProcess& process);           // -1 unless it exited normally

// Polls condition every millisecond until it holds or timeoutMs passes.
template <typename Condition> bool waitUntil(Condition condition, int timeoutMs);

std::string readFile(const std::string& path);

// The rows of a message_log.csv: one message type per row, in order.
std::vector<int> readLogTypes(const std::string& path);
int countType(const std::vector<int>& types, int type);

// A UDP port on 127.0.0.1 that nobody uses right now.
uint16_t findFreePort(int socketType = SOCK_DGRAM); // SOCK_STREAM: free for TCP

// A PNG written by the program: 8-bit RGB, filter 0.
struct pngImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // 0xFFRRGGBB
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
bool readPNG(const std::string& path, pngImage& image);

uint64_t monotonicMilliseconds();

template <typename Condition> bool waitUntil(Condition condition, int timeoutMs) {
    const uint64_t deadline = monotonicMilliseconds() + static_cast<uint64_t>(timeoutMs);
    while (!condition()) {
        if (monotonicMilliseconds() >= deadline)
            return false;
        struct timespec pause = {0, 1000000};
        nanosleep(&pause, nullptr);
    }
    return true;
}
