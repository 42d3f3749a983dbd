#include "game/common/options.h"

#include "game/common/playername.h"
#include "networklib/networktypes.h"
#include "platform/language/languagechoice.h"
#include "platform/language/textformat.h"
#include "platform/language/translation.h"

#include <cerrno>
#include <cstdlib>

namespace {

constexpr long MAX_PORT = 65535;
constexpr long MAX_FRAMES = 1000000000L;
constexpr size_t MAX_SESSION_NAME_BYTES = 255; // what the search's answer carries
constexpr long MAX_BOTS = 8;                   // the game's player limit
constexpr size_t MAX_LANGUAGE_BYTES = 32;      // "zh_CN.UTF-8" and the like
constexpr long MAX_EMPTY_SHUTDOWN = 604800;    // a week: longer is a mistake, not a wish

bool parseNumber(const std::string& text, long low, long high, long& value) {
    if (text.empty() || text.size() > 10)
        return false;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    errno = 0;
    const long parsed = std::strtol(text.c_str(), nullptr, 10);
    if (errno != 0 || parsed < low || parsed > high)
        return false;
    value = parsed;
    return true;
}

bool isSessionName(const std::string& text) {
    if (text.empty() || text.size() > MAX_SESSION_NAME_BYTES)
        return false;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return false;
    }
    return true;
}

// [ADDR:]PORT; PORT may be 0, so the system picks one.
bool parseMetricsEndpoint(const std::string& text, gameOptions& options) {
    const size_t colon = text.rfind(':');
    const std::string address = colon == std::string::npos ? "127.0.0.1" : text.substr(0, colon);
    long port = 0;
    uint32_t host = 0;
    if (!parseIPv4(address, host) ||
        !parseNumber(text.substr(colon == std::string::npos ? 0 : colon + 1), 0, MAX_PORT, port))
        return false;
    options.metrics = true;
    options.metricsAddress = address;
    options.metricsPort = static_cast<uint16_t>(port);
    return true;
}

// The options of the dedicated server's operators, apart from the game's own.
bool applyServerValue(const std::string& name, const std::string& value, gameOptions& options,
                      std::string& error) {
    if (name == "--config") {
        if (!value.empty()) {
            options.config = value;
            return true;
        }
        error = tr("--config needs a file name");
    } else if (name == "--session-name") {
        if (isSessionName(value)) {
            options.sessionName = value;
            return true;
        }
        error = tr("--session-name needs 1 to 255 bytes of text without control characters");
    } else if (name == "--bots") {
        long count = 0;
        if (parseNumber(value, 1, MAX_BOTS, count)) {
            options.bots = static_cast<int>(count);
            return true;
        }
        error = formatText(tr("--bots needs a count from 1 to 8, got \"%s\""), value.c_str());
    } else if (name == "--agones-empty-shutdown") {
        if (parseNumber(value, 0, MAX_EMPTY_SHUTDOWN, options.agonesEmptyShutdown))
            return true;
        error = formatText(tr("--agones-empty-shutdown needs seconds from 0 (never) to 604800, got \"%s\""),
                           value.c_str());
    } else if (name == "--lang") {
        if (isLanguageCode(value) && value.size() <= MAX_LANGUAGE_BYTES) {
            options.language = value;
            return true;
        }
        error = formatText(tr("--lang needs a language code such as de or pt_BR, got \"%s\""), value.c_str());
    } else if (name == "--web") {
        long port = 0;
        if (parseNumber(value, 0, MAX_PORT, port)) {
            options.web = true;
            options.webPort = static_cast<uint16_t>(port);
            return true;
        }
        error = formatText(tr("--web needs a TCP port from 0 to 65535, got \"%s\""), value.c_str());
    } else if (name == "--web-root") {
        if (!value.empty()) {
            options.webRoot = value;
            return true;
        }
        error = tr("--web-root needs a folder");
    } else if (name == "--metrics") {
        if (parseMetricsEndpoint(value, options))
            return true;
        error = formatText(
            tr("--metrics needs [ADDR:]PORT (an IPv4 address, a port from 0 to 65535), got \"%s\""),
            value.c_str());
    } else {
        error = formatText(tr("unknown option %s"), name.c_str());
    }
    return false;
}

bool takesServerValue(const std::string& name) {
    return name == "--config" || name == "--session-name" || name == "--metrics" || name == "--bots" ||
           name == "--agones-empty-shutdown" || name == "--lang" || name == "--web" || name == "--web-root";
}

// Applies one option that takes a value.
bool applyValue(const std::string& name, const std::string& value, gameOptions& options, std::string& error) {
    long number = 0;
    if (name == "--connect") {
        if (parseHostAndPort(value, options.connectHost, options.connectPort))
            return true;
        error = formatText(tr("--connect needs HOST or HOST:PORT, got \"%s\""), value.c_str());
    } else if (name == "--port") {
        if (parsePort(value, options.port))
            return true;
        error = formatText(tr("--port needs a port from 1 to 65535, got \"%s\""), value.c_str());
    } else if (name == "--discovery") {
        if (parseAddressList(value, options.discoveryTargets))
            return true;
        error =
            formatText(tr("--discovery needs IPv4 addresses separated by commas, got \"%s\""), value.c_str());
    } else if (name == "--discovery-port") {
        if (parsePort(value, options.discoveryPort))
            return true;
        error = formatText(tr("--discovery-port needs a port from 1 to 65535, got \"%s\""), value.c_str());
    } else if (name == "--frames") {
        if (parseNumber(value, 1, MAX_FRAMES, number)) {
            options.frames = number;
            return true;
        }
        error = formatText(tr("--frames needs a count from 1 to 1000000000, got \"%s\""), value.c_str());
    } else if (name == "--screenshot") {
        if (!value.empty()) {
            options.screenshot = value;
            return true;
        }
        error = tr("--screenshot needs a file name");
    } else if (name == "--replay") {
        if (!value.empty()) {
            options.replay = value;
            return true;
        }
        error = tr("--replay needs a file name");
    } else if (name == "--name") {
        std::string reason;
        if (acceptPlayerName(value, options.name, reason))
            return true;
        error = "--name: " + reason;
    } else {
        return applyServerValue(name, value, options, error);
    }
    return false;
}

bool takesValue(const std::string& name) {
    return takesServerValue(name) || name == "--connect" || name == "--port" || name == "--discovery" ||
           name == "--discovery-port" || name == "--frames" || name == "--screenshot" || name == "--name" ||
           name == "--replay";
}

bool applyFlag(const std::string& name, gameOptions& options) {
    if (name == "--help" || name == "-h")
        options.help = true;
    else if (name == "--version")
        options.version = true;
    else if (name == "--server")
        options.server = true;
    else if (name == "--status")
        options.status = true;
    else if (name == "--bot")
        options.bot = true;
    else if (name == "--agones")
        options.agones = true;
    else if (name == "--spectate")
        options.spectate = true;
    else if (name == "--no-rejoin")
        options.rejoin = false;
    else if (name == "--no-record")
        options.record = false;
    else if (name == "--log")
        options.log = true;
    else
        return false;
    return true;
}

} // namespace

bool applyOption(const std::string& name, const std::string& value, gameOptions& options,
                 std::string& error) {
    if (takesValue(name))
        return applyValue(name, value, options, error);
    gameOptions untouched;
    error =
        formatText(tr(applyFlag(name, untouched) ? marked("%s takes no value") : marked("unknown option %s")),
                   name.c_str());
    return false;
}

bool parsePort(const std::string& text, uint16_t& port) {
    long value = 0;
    if (!parseNumber(text, 1, MAX_PORT, value))
        return false;
    port = static_cast<uint16_t>(value);
    return true;
}

bool parseHostAndPort(const std::string& text, std::string& host, uint16_t& port) {
    const size_t colon = text.rfind(':');
    const std::string name = text.substr(0, colon);
    uint16_t parsedPort = 0;
    if (colon != std::string::npos && !parsePort(text.substr(colon + 1), parsedPort))
        return false;
    if (name.empty() || name.find_first_of(" \t:") != std::string::npos)
        return false;
    host = name;
    port = parsedPort;
    return true;
}

bool parseOptions(int argc, const char* const* argv, gameOptions& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        std::string value;
        const size_t equals = name.find('=');
        const bool inlineValue = name.rfind("--", 0) == 0 && equals != std::string::npos;
        if (inlineValue) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        if (takesValue(name)) {
            if (!inlineValue) {
                if (i + 1 >= argc) {
                    error = formatText(tr("%s needs a value"), name.c_str());
                    return false;
                }
                value = argv[++i];
            }
            if (!applyValue(name, value, options, error))
                return false;
        } else if (inlineValue || !applyFlag(name, options)) {
            error = formatText(tr("unknown option %s"), argv[i]);
            return false;
        }
    }
    if (options.server && !options.connectHost.empty()) {
        error = tr("--server hosts a game; it cannot also --connect to one");
        return false;
    }
    if (options.bot && (options.server || options.status || options.bots > 0)) {
        error = tr("--bot is a player of its own; it cannot also --server, --status or --bots");
        return false;
    }
    if (options.bots > 0 && !options.connectHost.empty()) {
        error = tr("--bots needs a copy that hosts: it cannot go with --connect");
        return false;
    }
    // --status may read a server's settings file; it ignores the counters and the bots.
    if (options.metrics && !options.server && !options.status) {
        error = tr("--metrics serves the counters of a dedicated server: it needs --server");
        return false;
    }
    if ((options.agones || options.agonesEmptyShutdown > 0) && !options.server && !options.status) {
        error = tr("--agones and --agones-empty-shutdown are for a dedicated server: they need --server");
        return false;
    }
    if (!options.replay.empty() && (options.server || options.bot || options.status || options.bots > 0 ||
                                    !options.connectHost.empty())) {
        error =
            tr("--replay plays a recording; it cannot also --server, --bot, --bots, --status or --connect");
        return false;
    }
    if (options.spectate &&
        (options.server || options.bot || options.status || options.bots > 0 || !options.replay.empty())) {
        error = tr("--spectate watches a game; it cannot also --server, --bot, --bots, --status or --replay");
        return false;
    }
    if (options.web && (options.bot || options.status || !options.connectHost.empty() ||
                        !options.replay.empty() || options.spectate)) {
        error =
            tr("--web serves browsers from a copy that hosts; it cannot go with --bot, --status, --connect, "
               "--replay or --spectate");
        return false;
    }
    if (!options.webRoot.empty() && !options.web) {
        error = tr("--web-root names the files of --web: it needs --web");
        return false;
    }
    if (options.status && (options.server || !options.connectHost.empty())) {
        error = tr("--status only asks the hosts on the network; it cannot also --server or --connect");
        return false;
    }
    return true;
}

std::string usageText(const char* programName) {
    std::string text = formatText(tr("Usage: %s [options]\n"), programName);
    text += tr("ZEB, ships and asteroids for the local network. Without options the game looks for\n"
               "a game on the network, joins it, or hosts \"The Game\" when there is none.\n");
    text += "\n";
    // One text an option, so that a new option leaves the others translated.
    text += tr("  --connect HOST[:PORT]     join the game hosted at HOST without searching\n");
    text += tr("  --port N                  the port a hosting copy listens on (default 27351)\n");
    text += tr("  --server                  host a game without window, sound or own player\n");
    text += tr("  --discovery ADDR[,ADDR]   where to search for games (IPv4 broadcast or host addresses)\n");
    text += tr("  --discovery-port N        the port of the game search (default 27350)\n");
    text += tr("  --no-rejoin               when the host leaves, stay on \"Game Unavailable\"\n");
    text += tr("  --no-record               do not record the games played (the setting record = off)\n");
    text += tr("  --log                     log every message received to message_log.csv here\n");
    text += tr("  --frames N                quit after N drawn frames once set-up has ended\n");
    text += tr("  --screenshot FILE         save the last drawn frame as a PNG when quitting\n");
    text += tr("  --replay FILE             play a recorded game: Space pauses, Left and Right jump 10 s,\n"
               "                            Down and Up halve and double the speed\n");
    text += tr("  --spectate                watch a game without a ship: Tab follows the next player;\n"
               "                            File > Watch switches between watching and playing\n");
    text += tr("  --name NAME               the player's name (at most 31 bytes of UTF-8)\n");
    text += tr("  --session-name NAME       the name a hosting copy advertises (default \"The Game\")\n");
    text += tr("  --lang CODE               the language of the texts: de, en, es, fr, pt_BR, ru or zh_CN\n"
               "                            (default: the system's)\n");
    text += tr("  --config FILE             read settings (key = value) from FILE; the command line wins\n");
    text +=
        tr("  --status                  print each host that answers the search: name, players, maximum\n");
    text += tr("  --bot                     play as a computer player, without window or sound\n");
    text += tr("  --bots N                  when this copy hosts, bring N computer players along\n");
    text +=
        tr("  --web PORT                when this copy hosts, serve the game to browsers on TCP port PORT:\n"
           "                            they open http://ADDRESS:PORT/ (0: a port the system picks)\n");
    text +=
        tr("  --web-root DIR            the files served with --web (default: web/ beside the program)\n");
    text += tr("  --metrics [ADDR:]PORT     with --server: serve counters on http://ADDR:PORT/metrics\n"
               "                            (Prometheus text; ADDR 127.0.0.1 unless given)\n");
    text += tr("  --agones                  with --server: report to the Agones sidecar of its pod (Ready,\n"
               "                            Health every 2 s, players label, Shutdown); on by itself when\n"
               "                            AGONES_SDK_HTTP_PORT is set\n");
    text +=
        tr("  --agones-empty-shutdown S with --agones: end the game once it has been empty for S seconds\n"
           "                            after having had players (default 0: never)\n");
    text += tr("  --help                    show this text\n");
    text += tr("  --version                 show the version\n");
    text += "\n";
    text += tr("Keys: W or Up thrust, A or Left and D or Right turn, Space fire, Z sound on or off,\n"
               "F11 or Alt+Enter full screen; a game controller plays too. Settings are kept in\n"
               "$XDG_CONFIG_HOME/zeb/settings.ini (or ~/.config/zeb/settings.ini); the last 10 games\n"
               "are recorded in $XDG_DATA_HOME/zeb/replays (or ~/.local/share/zeb/replays).\n"
               "The environment variables ZEB_DISCOVERY and ZEB_DISCOVERY_PORT set the search too.\n");
    return text;
}
