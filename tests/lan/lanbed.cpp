#include "tests/lan/lanbed.h"

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sched.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr const char* PREFIX = "zebbed";
constexpr int FIRST_BED_OCTET = 18; // 198.18.S.M

const char* ipProgram() {
    for (const char* path : {"/usr/sbin/ip", "/sbin/ip", "/usr/bin/ip", "/bin/ip"})
        if (access(path, X_OK) == 0)
            return path;
    return nullptr;
}

std::string commandOutput(const std::string& command, int& status) {
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        status = -1;
        return output;
    }
    char buffer[512];
    while (std::fgets(buffer, sizeof(buffer), pipe) != nullptr)
        output += buffer;
    status = pclose(pipe);
    return output;
}

// "zebbed<pid>-<what>": the pid of the test process that made it.
pid_t ownerOf(const std::string& name) {
    if (name.rfind(PREFIX, 0) != 0)
        return 0;
    return static_cast<pid_t>(std::atol(name.c_str() + std::char_traits<char>::length(PREFIX)));
}

std::vector<std::string> namespaceNames() {
    int status = 0;
    std::istringstream lines(commandOutput(std::string(ipProgram()) + " netns list", status));
    std::vector<std::string> names;
    for (std::string line; std::getline(lines, line);)
        names.push_back(line.substr(0, line.find(' ')));
    return names;
}

void removeNamespace(const std::string& name) {
    int status = 0;
    // Whatever still runs inside is the bed's: it goes with its network.
    std::istringstream pids(commandOutput(std::string(ipProgram()) + " netns pids " + name, status));
    for (long pid = 0; pids >> pid;)
        kill(static_cast<pid_t>(pid), SIGKILL);
    commandOutput(std::string(ipProgram()) + " netns del " + name, status);
}

} // namespace

void removeStaleBeds() {
    if (ipProgram() == nullptr)
        return;
    for (const std::string& name : namespaceNames()) {
        const pid_t owner = ownerOf(name);
        if (owner > 0 && owner != getpid() && kill(owner, 0) != 0)
            removeNamespace(name);
    }
}

lanBed::lanBed() : m_prefix(std::string(PREFIX) + std::to_string(getpid()) + "-") {
    if (ipProgram() == nullptr) {
        m_problem = "the ip program (iproute2) is not installed";
        return;
    }
    removeStaleBeds();
    std::string output;
    if (!run("netns add " + switchNamespace(), &output)) {
        m_problem = "cannot make network namespaces here: " + output;
        return;
    }
    m_available = true;
}

lanBed::~lanBed() {
    removeAll();
}

void lanBed::removeAll() {
    if (!m_available)
        return;
    for (int machine = 1; machine <= m_machines; ++machine)
        removeNamespace(machineName(machine));
    removeNamespace(switchNamespace());
    m_available = false;
}

std::string lanBed::machineName(int machine) const {
    return m_prefix + "m" + std::to_string(machine);
}

std::string lanBed::switchNamespace() const {
    return m_prefix + "switches";
}

bool lanBed::run(const std::string& command, std::string* output) const {
    int status = 0;
    const std::string said = commandOutput(std::string(ipProgram()) + " " + command, status);
    if (output != nullptr)
        *output = said;
    return status == 0;
}

int lanBed::addSwitch() {
    const int sw = ++m_switches;
    const std::string bridge = "br" + std::to_string(sw);
    run("-n " + switchNamespace() + " link add " + bridge + " type bridge");
    run("-n " + switchNamespace() + " link set " + bridge + " up");
    return sw;
}

int lanBed::addMachine() {
    const int machine = ++m_machines;
    run("netns add " + machineName(machine));
    run("-n " + machineName(machine) + " link set lo up");
    return machine;
}

uint32_t lanBed::wire(int machine, int sw) {
    return wire(machine, sw, sw);
}

void lanBed::joinSwitches(int a, int b) {
    const std::string switches = "-n " + switchNamespace() + " ";
    const std::string ends[2] = {"j" + std::to_string(a) + "x" + std::to_string(b) + "a",
                                 "j" + std::to_string(a) + "x" + std::to_string(b) + "b"};
    run(switches + "link add " + ends[0] + " type veth peer name " + ends[1]);
    run(switches + "link set " + ends[0] + " master br" + std::to_string(a) + " up");
    run(switches + "link set " + ends[1] + " master br" + std::to_string(b) + " up");
}

uint32_t lanBed::wire(int machine, int sw, int subnet) {
    int cardsOfMachine = 0;
    for (const card& existing : m_cards)
        cardsOfMachine += existing.machine == machine ? 1 : 0;
    card added{machine, sw, "eth" + std::to_string(cardsOfMachine),
               "m" + std::to_string(machine) + "c" + std::to_string(cardsOfMachine)};
    const std::string switches = "-n " + switchNamespace() + " ";
    const std::string inMachine = "-n " + machineName(machine) + " ";
    run(switches + "link add " + added.port + " type veth peer name " + added.name + " netns " +
        machineName(machine));
    run(switches + "link set " + added.port + " master br" + std::to_string(sw) + " up");
    const uint32_t address = (198u << 24) | (static_cast<uint32_t>(FIRST_BED_OCTET) << 16) |
                             (static_cast<uint32_t>(subnet) << 8) | static_cast<uint32_t>(machine);
    run(inMachine + "addr add " + formatHost(address) + "/24 broadcast + dev " + added.name);
    run(inMachine + "link set " + added.name + " up");
    m_cards.push_back(added);
    return address;
}

const lanBed::card* lanBed::findCard(int machine, int sw) const {
    for (const card& existing : m_cards)
        if (existing.machine == machine && existing.sw == sw)
            return &existing;
    return nullptr;
}

void lanBed::setDefaultRoute(int machine, int sw) {
    const card* found = findCard(machine, sw);
    if (found != nullptr)
        run("-n " + machineName(machine) + " route replace default dev " + found->name);
}

void lanBed::setLink(int machine, int sw, bool up) {
    const card* found = findCard(machine, sw);
    if (found != nullptr)
        run("-n " + machineName(machine) + " link set " + found->name + (up ? " up" : " down"));
}

bool lanBed::isSealed(std::string& problems) const {
    problems.clear();
    for (int machine = 1; machine <= m_machines; ++machine) {
        std::string routes;
        std::string addresses;
        run("-n " + machineName(machine) + " -4 route show table all", &routes);
        run("-n " + machineName(machine) + " -4 -o addr show", &addresses);
        std::istringstream routeLines(routes);
        for (std::string line; std::getline(routeLines, line);) {
            // Only the bed's networks, their broadcasts and loopback; a default
            // route leads onto a bed card, whose bridge leads nowhere else.
            const bool bed = line.find(" 198.18.") != std::string::npos || line.rfind("198.18.", 0) == 0;
            const bool loopback =
                line.find("127.") != std::string::npos && line.find(" dev lo") != std::string::npos;
            const bool defaultToBed = line.rfind("default dev eth", 0) == 0;
            if (!bed && !loopback && !defaultToBed)
                problems += machineName(machine) + " route: " + line + "\n";
        }
        std::istringstream addressLines(addresses);
        for (std::string line; std::getline(addressLines, line);)
            if (line.find("inet 198.18.") == std::string::npos &&
                line.find("inet 127.0.0.1/8") == std::string::npos)
                problems += machineName(machine) + " address: " + line + "\n";
    }
    std::string switchAddresses;
    run("-n " + switchNamespace() + " -4 -o addr show", &switchAddresses);
    if (!switchAddresses.empty())
        problems += "the switches have addresses: " + switchAddresses;
    return problems.empty();
}

appProcess lanBed::start(int machine, const std::string& program, const std::vector<std::string>& arguments,
                         const std::string& folder) {
    std::vector<std::string> full = {"netns", "exec", machineName(machine), program};
    full.insert(full.end(), arguments.begin(), arguments.end());
    // Inside the bed a copy searches as a player's copy would: every card.
    return startProgram(ipProgram(), full, folder, {"ZEB_DISCOVERY", "ZEB_DISCOVERY_PORT"});
}

void lanBed::inside(int machine, const std::function<void()>& fn) const {
    const std::string path = "/var/run/netns/" + machineName(machine);
    std::thread worker([&] {
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return;
        const bool entered = setns(fd, CLONE_NEWNET) == 0;
        close(fd);
        if (entered)
            fn();
    });
    worker.join();
}

std::string lanBed::formatHost(uint32_t host) {
    return std::to_string(host >> 24) + "." + std::to_string((host >> 16) & 0xFF) + "." +
           std::to_string((host >> 8) & 0xFF) + "." + std::to_string(host & 0xFF);
}
