#include "tests/networklib/nettesthelpers.h"

#include "core/assertion.h"
#include "core/littleendian.h"
#include "platform/system/processid.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

namespace {

// A test program started by hand, outside CTest, still searches loopback only.
struct loopbackDiscovery {
    loopbackDiscovery() {
        if (std::getenv("ZEB_DISCOVERY") == nullptr)
            putenv(const_cast<char*>("ZEB_DISCOVERY=127.255.255.255"));
    }
} g_loopbackDiscovery;

std::mutex g_reportLock;
std::vector<std::string> g_reports;

AssertionAnswer captureReport(const char*, const char* text) {
    std::lock_guard<std::mutex> guard(g_reportLock);
    g_reports.emplace_back(text);
    return AssertionAnswer::Debug;
}

// Each test program writes its message log into a directory of its own, so
// programs that run side by side never share one.
struct privateDirectory {
    std::filesystem::path path;
    privateDirectory() {
        // A folder left by a killed program of the same id is passed over.
        constexpr int ATTEMPTS = 100;
        const std::string stem = "netlog." + std::to_string(currentProcessId()) + ".";
        for (int attempt = 0; attempt < ATTEMPTS && path.empty(); ++attempt) {
            std::error_code failed;
            const std::filesystem::path made = stem + std::to_string(attempt);
            if (std::filesystem::create_directory(made, failed))
                path = std::filesystem::absolute(made);
        }
        if (!path.empty())
            std::filesystem::current_path(path);
    }
    ~privateDirectory() {
        if (path.empty())
            return;
        std::error_code ignored;
        std::filesystem::current_path(path.parent_path(), ignored);
        std::filesystem::remove_all(path, ignored);
    }
};
privateDirectory g_directory;

} // namespace

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

netGuid testGuid() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = std::string(info->test_suite_name()) + "." + info->name();
    const uint64_t nameHash = std::hash<std::string>{}(name);
    const uint64_t processPart = static_cast<uint64_t>(currentProcessId());
    netGuid guid;
    for (int i = 0; i < 8; ++i) {
        guid.bytes[i] = static_cast<uint8_t>(nameHash >> (8 * i));
        guid.bytes[8 + i] = static_cast<uint8_t>(processPart >> (8 * i));
    }
    return guid;
}

assertionCapture::assertionCapture() {
    std::lock_guard<std::mutex> guard(g_reportLock);
    g_reports.clear();
    setAssertionHandler(&captureReport);
}

assertionCapture::~assertionCapture() {
    setAssertionHandler(&defaultAssertionHandler);
}

std::vector<std::string> assertionCapture::reports() const {
    std::lock_guard<std::mutex> guard(g_reportLock);
    return g_reports;
}

bool assertionCapture::saw(const std::string& fragment) const {
    for (const std::string& report : reports())
        if (report.find(fragment) != std::string::npos)
            return true;
    return false;
}

int arrivals::count(networkEventKind kind) const {
    return static_cast<int>(std::count_if(events.begin(), events.end(),
                                          [kind](const networkEvent& event) { return event.kind == kind; }));
}

const networkEvent* arrivals::last(networkEventKind kind) const {
    for (auto event = events.rbegin(); event != events.rend(); ++event)
        if (event->kind == kind)
            return &*event;
    return nullptr;
}

std::unique_ptr<networkHost> makeHost(const netGuid& guid, const std::string& sessionName) {
    auto host = std::make_unique<networkHost>();
    host->setApplicationGuid(guid);
    host->setSessionName(sessionName);
    host->setPort(0);
    host->initialise();
    host->startHosting();
    return host;
}

std::unique_ptr<networkClient> makeClient(const netGuid& guid) {
    auto client = std::make_unique<networkClient>();
    client->setApplicationGuid(guid);
    client->initialise();
    return client;
}

std::string loopbackAddress(const networkHost& host) {
    return "127.0.0.1:" + std::to_string(host.getPort());
}

long residentKilobytes() {
    long pages = 0;
    long resident = 0;
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr)
        return 0;
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
        resident = 0;
    std::fclose(statm);
    return resident * 4;
}
