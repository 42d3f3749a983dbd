#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr const char* ZEB_VERSION_TEXT = "ZEB Version 1.0";

// The command line. With no option the game behaves as designed: it searches
// the network, hosts when it finds nothing, and runs until its window closes.
struct gameOptions {
    bool help = false;
    bool version = false;
    bool server = false;                    // dedicated host: no window, no sound, no own client
    std::string connectHost;                // join this host without searching; empty: search
    uint16_t connectPort = 0;               // 0: the default game port
    uint16_t port = 0;                      // the port a hosting copy listens on; 0: the default
    std::vector<uint32_t> discoveryTargets; // IPv4 addresses, host order; empty: the default targets
    uint16_t discoveryPort = 0;             // 0: the default discovery port
    bool rejoin = true;                     // after the host leaves, search again (or host)
    bool record = true;                     // record the games the window plays (unless the settings say not)
    bool log = false;                       // keep the message log (messageLogPath)
    long frames = 0;                        // quit after this many accepted frames; 0: no limit
    std::string screenshot;                 // PNG of the last drawn frame, written when quitting
    std::string replay;                     // play this recording instead of a game; empty: none
    std::string name;                       // the player's name; empty: the settings file's
    std::string config;                     // settings file read before the command line; empty: none
    std::string sessionName;                // the name a hosting copy advertises; empty: "The Game"
    bool status = false;                    // ask the hosts on the network how they are, then quit
    bool metrics = false;                   // the dedicated server serves its counters over HTTP
    std::string metricsAddress = "127.0.0.1"; // where: loopback unless asked otherwise
    uint16_t metricsPort = 0;                 // 0: a port the system picks
    bool bot = false;                         // a computer player without window or sound
    bool spectate = false;                    // join a game to watch it, without a ship
    int bots = 0;                             // computer players a hosting copy starts
    bool agones = false;                      // the dedicated server talks to an Agones sidecar
    long agonesEmptyShutdown = 0;             // seconds empty after play before it ends; 0: never
    std::string language; // --lang: the texts' language; empty: the setting's, else the system's
    bool web = false;     // a hosting copy serves the game to browsers
    uint16_t webPort = 0; // its TCP port; 0: a port the system picks
    std::string webRoot;  // the files served; empty: web/ beside the program
};

// False with a one-line reason in error when the command line is not understood.
bool parseOptions(int argc, const char* const* argv, gameOptions& options, std::string& error);

// Applies one option by its command-line name ("--port") and value; false with
// a one-line reason when the option is unknown, takes no value or the value is wrong.
bool applyOption(const std::string& name, const std::string& value, gameOptions& options, std::string& error);

std::string usageText(const char* programName);

// Strict parsers shared with the options: the whole text must be the value.
bool parsePort(const std::string& text, uint16_t& port);                           // 1 to 65535
bool parseHostAndPort(const std::string& text, std::string& host, uint16_t& port); // HOST[:PORT]
