#include "platform/system/boundedfile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Why a file of this type is not read; empty for a regular file.
std::string typeProblem(const struct stat& status) {
    if (S_ISREG(status.st_mode))
        return std::string();
    return S_ISDIR(status.st_mode) ? "is a directory" : "is not a regular file";
}

std::string systemError() {
    return std::string("cannot be read (") + std::strerror(errno) + ")";
}

std::string tooLarge(size_t maxBytes) {
    return "is larger than " + std::to_string(maxBytes) + " bytes";
}

bool readAll(int fd, size_t maxBytes, std::string& text, std::string& reason) {
    text.assign(maxBytes + 1, '\0');
    size_t filled = 0;
    while (filled < text.size()) {
        const ssize_t got = read(fd, text.data() + filled, text.size() - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            reason = systemError();
            return false;
        }
        if (got == 0)
            break;
        filled += static_cast<size_t>(got);
    }
    text.resize(filled);
    if (filled > maxBytes) { // it grew after it was looked at
        reason = tooLarge(maxBytes);
        return false;
    }
    return true;
}

} // namespace

boundedFileResult readBoundedFile(const std::string& path, size_t maxBytes, std::string& text,
                                  std::string& reason) {
    text.clear();
    struct stat status = {};
    if (stat(path.c_str(), &status) != 0) {
        if (errno == ENOENT)
            return boundedFileResult::missing;
        reason = systemError();
        return boundedFileResult::refused;
    }
    reason = typeProblem(status);
    if (reason.empty() && static_cast<size_t>(status.st_size) > maxBytes)
        reason = tooLarge(maxBytes);
    if (!reason.empty())
        return boundedFileResult::refused;
    // Replaced by something else since it was looked at: look again at what is open.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        reason = systemError();
        return boundedFileResult::refused;
    }
    bool good = fstat(fd, &status) == 0;
    reason = good ? typeProblem(status) : systemError();
    good = reason.empty() && readAll(fd, maxBytes, text, reason);
    close(fd);
    if (!good)
        text.clear();
    return good ? boundedFileResult::read : boundedFileResult::refused;
}
