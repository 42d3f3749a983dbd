#pragma once

#include "tests/app/appprocess.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A LAN on one machine: every "machine" is a network namespace of its own
// with its loopback up, wired by veth pairs to "switches", Linux bridges in a
// namespace of the bed's own. Addresses come from 198.18.0.0/15 only, one /24
// per switch (198.18.S.M for machine M on switch S), and no namespace has a
// route out of the bed, so copies inside may search with their default
// targets. Every namespace carries the test process's id in its name; the
// bed removes its own when it goes, and a new bed removes those of test
// processes that died before they could.
class lanBed {
  public:
    lanBed();
    ~lanBed();
    lanBed(const lanBed&) = delete;
    lanBed& operator=(const lanBed&) = delete;

    // False (and why in getProblem) when this process may not make namespaces.
    bool isAvailable() const { return m_available; }
    const std::string& getProblem() const { return m_problem; }

    int addSwitch();                    // its number, from 1
    int addMachine();                   // its number, from 1
    uint32_t wire(int machine, int sw); // a new card on the switch; the machine's address there
    // The same, addressed in another switch's network (198.18.subnet.M):
    // switches that are joined later then make one network.
    uint32_t wire(int machine, int sw, int subnet);
    void joinSwitches(int a, int b);           // a cable between the two switches
    void setDefaultRoute(int machine, int sw); // through its card on that switch
    void setLink(int machine, int sw, bool up);

    // True when every machine has only loopback and bed addresses, and routes
    // to bed networks alone; what is wrong goes to problems.
    bool isSealed(std::string& problems) const;

    // The real program inside a machine, as startProgram starts it, with the
    // default discovery targets and port.
    appProcess start(int machine, const std::string& program, const std::vector<std::string>& arguments,
                     const std::string& folder);
    // Runs fn on a thread that lives inside the machine's network.
    void inside(int machine, const std::function<void()>& fn) const;

    static std::string formatHost(uint32_t host); // dotted

  private:
    struct card {
        int machine;
        int sw;
        std::string name; // inside the machine
        std::string port; // the bridge's end, inside the switch namespace
    };
    std::string machineName(int machine) const;
    std::string switchNamespace() const;
    const card* findCard(int machine, int sw) const;
    bool run(const std::string& command, std::string* output = nullptr) const;
    void removeAll();

    bool m_available = false;
    std::string m_problem;
    std::string m_prefix;
    int m_switches = 0;
    int m_machines = 0;
    std::vector<card> m_cards;
};

// Removes the namespaces of bed processes that are gone (a killed test).
void removeStaleBeds();
