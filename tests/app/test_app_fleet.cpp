#include "tests/app/appchecks.h"
#include "tests/app/appprocess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <csignal>
#include <dirent.h>
#include <fstream>
#include <netinet/in.h>
#include <set>
#include <sstream>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// What each descriptor of a process is open on ("socket:[123]", a path, ...),
// descriptors from `from` up.
std::set<std::string> openTargets(pid_t pid, int from) {
    std::set<std::string> targets;
    const std::string folder = "/proc/" + std::to_string(pid) + "/fd";
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return targets;
    for (dirent* entry = readdir(dir); entry != nullptr; entry = readdir(dir)) {
        if (entry->d_name[0] == '.' || std::atoi(entry->d_name) < from)
            continue;
        char target[512];
        const ssize_t size = readlink((folder + "/" + entry->d_name).c_str(), target, sizeof(target) - 1);
        if (size > 0)
            targets.insert(std::string(target, static_cast<size_t>(size)));
    }
    closedir(dir);
    return targets;
}

std::vector<pid_t> childrenOf(pid_t parent) {
    std::vector<pid_t> children;
    DIR* dir = opendir("/proc");
    for (dirent* entry = dir != nullptr ? readdir(dir) : nullptr; entry != nullptr; entry = readdir(dir)) {
        const pid_t pid = std::atoi(entry->d_name);
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        if (pid <= 0 || !std::getline(stat, line) || line.rfind(')') == std::string::npos)
            continue;
        // "pid (name) state ppid ...": the name may hold blanks, so read after its end.
        std::istringstream rest(line.substr(line.rfind(')') + 1));
        std::string state;
        pid_t ppid = 0;
        if (rest >> state >> ppid && ppid == parent)
            children.push_back(pid);
    }
    if (dir != nullptr)
        closedir(dir);
    return children;
}

class fleetServer : public ::testing::Test {
  protected:
    void SetUp() override {
        useLoopbackDiscovery();
        useHeadlessDrivers();
    }
    void TearDown() override { killAndReap(m_server); }
    std::string output() const { return readFile(m_server.folder + "/stdout.txt"); }
    std::string errors() const { return readFile(m_server.folder + "/stderr.txt"); }

    appProcess m_server;
};

// A port the operator names must be the one players reach: when it is taken
// the server says so in one line and ends as for a bad setting.
TEST_F(fleetServer, aTakenExplicitPortStopsTheServer) {
    const uint16_t port = findFreePort();
    const int holder = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    ASSERT_EQ(bind(holder, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);

    m_server =
        startProgram(ZEB_PROGRAM, {"--server", "--port", std::to_string(port)}, makeTempFolder("taken"));
    ASSERT_TRUE(waitForExit(m_server, 10000)) << output();
    close(holder);
    EXPECT_EQ(exitCode(m_server), 2);
    const std::string said = errors();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("port " + std::to_string(port)), std::string::npos) << said;
    EXPECT_EQ(output().find("hosting"), std::string::npos) << output();
}

// The bots are separate programs: none of them holds the game socket, the
// counters' socket or any file of the server, so the port is free once the
// server is gone.
TEST_F(fleetServer, botsInheritNoDescriptorOfTheirHost) {
    const std::string port = std::to_string(findFreePort());
    m_server = startProgram(ZEB_PROGRAM, {"--server", "--port", port, "--bots", "2", "--metrics", "0"},
                            makeTempFolder("bots"));
    ASSERT_TRUE(waitUntil([&] { return output().find("Player 2 joined") != std::string::npos; }, 20000))
        << output() << errors();
    const std::vector<pid_t> bots = childrenOf(m_server.pid);
    ASSERT_EQ(bots.size(), 2u);
    std::set<std::string> hostFiles = openTargets(m_server.pid, 0);
    ASSERT_GT(hostFiles.size(), 3u);
    for (const pid_t bot : bots) {
        for (const std::string& target : openTargets(bot, 3)) {
            // Every eventfd and epoll instance has the same name: only real files and sockets compare.
            if (target.rfind("anon_inode:", 0) != 0) {
                EXPECT_EQ(hostFiles.count(target), 0u) << "bot " << bot << " holds " << target;
            }
        }
    }
    stopProcess(m_server, SIGTERM);
    ASSERT_TRUE(waitForExit(m_server, 10000));
    EXPECT_EQ(exitCode(m_server), 0);
}

} // namespace
