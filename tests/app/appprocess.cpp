#include "tests/app/appprocess.h"

#include "platform/render/pngwriter.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

uint64_t monotonicMilliseconds() {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
}

std::vector<std::string>& createdTempFolders() {
    static std::vector<std::string> paths;
    return paths;
}

std::string makeTempFolder(const std::string& tag) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/zeb-" + tag + "-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const char* made = mkdtemp(buffer.data());
    if (made == nullptr)
        return std::string();
    createdTempFolders().push_back(made);
    return made;
}

bool copyGameData(const std::string& folder) {
    const char* source = std::getenv("ZEB_SOURCE_DIR");
    if (source == nullptr)
        return false;
    for (const char* file : {"level_0.xml", "blast_astroid.wav", "blast_player.wav", "blast_bullet.wav"}) {
        std::error_code error;
        std::filesystem::copy_file(std::string(source) + "/assets/" + file, folder + "/" + file, error);
        if (error)
            return false;
    }
    return true;
}

namespace {

std::vector<std::string> mergedEnvironment(const std::vector<std::string>& extra) {
    std::vector<std::string> merged;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        bool replaced = false;
        for (const std::string& added : extra)
            replaced = replaced || added.substr(0, added.find('=')) == name;
        if (!replaced)
            merged.push_back(text);
    }
    // A later entry for the same name wins; a bare name only removes the variable.
    for (size_t i = 0; i < extra.size(); ++i) {
        const std::string name = extra[i].substr(0, extra[i].find('='));
        bool overridden = false;
        for (size_t later = i + 1; later < extra.size(); ++later)
            overridden = overridden || extra[later].substr(0, extra[later].find('=')) == name;
        if (!overridden && extra[i].find('=') != std::string::npos)
            merged.push_back(extra[i]);
    }
    return merged;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> result;
    for (std::string& text : texts)
        result.push_back(text.data());
    result.push_back(nullptr);
    return result;
}

} // namespace

appProcess startProgram(const std::string& program, const std::vector<std::string>& arguments,
                        const std::string& folder, const std::vector<std::string>& extraEnvironment,
                        const std::string& input) {
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    // Each copy keeps its settings and recordings in its own folder unless the test says otherwise.
    std::vector<std::string> extra = {"XDG_CONFIG_HOME=" + folder + "/config",
                                      "XDG_DATA_HOME=" + folder + "/data"};
    extra.insert(extra.end(), extraEnvironment.begin(), extraEnvironment.end());
    std::vector<std::string> env = mergedEnvironment(extra);
    std::vector<char*> argvPointers = pointers(argv);
    std::vector<char*> envPointers = pointers(env);
    const std::string out = folder + "/stdout.txt";
    const std::string err = folder + "/stderr.txt";

    appProcess process;
    process.folder = folder;
    process.pid = fork();
    if (process.pid == 0) {
        const int outFile = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int errFile = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int nullFile = open(input.c_str(), O_RDONLY);
        if (outFile < 0 || errFile < 0 || nullFile < 0 || chdir(folder.c_str()) != 0)
            _exit(127);
        dup2(nullFile, STDIN_FILENO);
        dup2(outFile, STDOUT_FILENO);
        dup2(errFile, STDERR_FILENO);
        execve(program.c_str(), argvPointers.data(), envPointers.data());
        _exit(127);
    }
    return process;
}

bool waitForExit(appProcess& process, int timeoutMs) {
    if (process.exited)
        return true;
    if (process.pid <= 0)
        return false;
    return waitUntil(
        [&process] {
            int status = 0;
            const pid_t done = waitpid(process.pid, &status, WNOHANG);
            if (done == process.pid) {
                process.exited = true;
                process.status = status;
            }
            return process.exited;
        },
        timeoutMs);
}

void stopProcess(appProcess& process, int signal) {
    if (process.pid > 0 && !process.exited)
        kill(process.pid, signal);
}

void killAndReap(appProcess& process) {
    if (process.pid <= 0 || process.exited)
        return;
    kill(process.pid, SIGKILL);
    int status = 0;
    waitpid(process.pid, &status, 0);
    process.exited = true;
    process.status = status;
}

int exitCode(const appProcess& process) {
    if (!process.exited || !WIFEXITED(process.status))
        return -1;
    return WEXITSTATUS(process.status);
}

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<int> readLogTypes(const std::string& path) {
    std::vector<int> types;
    std::istringstream lines(readFile(path));
    std::string line;
    std::getline(lines, line); // the header
    while (std::getline(lines, line)) {
        const size_t first = line.find(',');
        const size_t second = line.find(',', first + 1);
        if (first == std::string::npos || second == std::string::npos)
            continue; // a row still being written
        types.push_back(std::atoi(line.substr(first + 1, second - first - 1).c_str()));
    }
    return types;
}

int countType(const std::vector<int>& types, int type) {
    int count = 0;
    for (const int t : types)
        count += (t == type) ? 1 : 0;
    return count;
}

uint16_t findFreePort(int socketType) {
    const int socketFd = socket(AF_INET, socketType, 0);
    if (socketFd < 0)
        return 0;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    uint16_t port = 0;
    socklen_t length = sizeof(address);
    if (bind(socketFd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
        getsockname(socketFd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    close(socketFd);
    return port;
}

namespace {

uint32_t bigEndian32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

} // namespace

bool readPNG(const std::string& path, pngImage& image) {
    const std::string file = readFile(path);
    const auto* bytes = reinterpret_cast<const uint8_t*>(file.data());
    const size_t signatureSize = 8;
    if (file.size() < signatureSize + 25)
        return false;
    size_t at = signatureSize;
    std::vector<uint8_t> compressed;
    int width = 0;
    int height = 0;
    while (at + 12 <= file.size()) {
        const uint32_t length = bigEndian32(bytes + at);
        const std::string type(file.data() + at + 4, 4);
        if (at + 12 + length > file.size())
            return false;
        const uint8_t* data = bytes + at + 8;
        if (type == "IHDR") {
            width = static_cast<int>(bigEndian32(data));
            height = static_cast<int>(bigEndian32(data + 4));
            if (data[8] != 8 || data[9] != 2) // 8-bit RGB
                return false;
        } else if (type == "IDAT") {
            compressed.insert(compressed.end(), data, data + length);
        }
        at += 12 + length;
    }
    if (width <= 0 || height <= 0 || width > PNG_MAX_DIMENSION || height > PNG_MAX_DIMENSION)
        return false;
    const size_t stride = static_cast<size_t>(width) * 3 + 1;
    const std::vector<uint8_t> raw = inflatePNGData(compressed, stride * static_cast<size_t>(height));
    if (raw.empty())
        return false;
    image.width = width;
    image.height = height;
    image.pixels.assign(static_cast<size_t>(width) * height, 0);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = raw.data() + stride * static_cast<size_t>(y);
        if (row[0] != 0)
            return false; // only filter 0 is written
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = row + 1 + 3 * x;
            image.pixels[static_cast<size_t>(y) * width + x] =
                0xFF000000u | (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
        }
    }
    return true;
}
