#include "platform/system/boundedfile.h"

#include "platform/system/widetext.h"

#include <filesystem>
#include <fstream>
#include <system_error>

// Windows has no FIFOs or devices behind a file name that a reader could
// hang on; the type and size are still looked at first, and the read is
// bounded in case the file grows meanwhile.
boundedFileResult readBoundedFile(const std::string& path, size_t maxBytes, std::string& text,
                                  std::string& reason) {
    text.clear();
    const std::filesystem::path name(toWide(path));
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(name, error);
    if (status.type() == std::filesystem::file_type::not_found)
        return boundedFileResult::missing;
    if (error) {
        reason = "cannot be read (" + error.message() + ")";
        return boundedFileResult::refused;
    }
    if (status.type() != std::filesystem::file_type::regular) {
        reason = status.type() == std::filesystem::file_type::directory ? "is a directory"
                                                                        : "is not a regular file";
        return boundedFileResult::refused;
    }
    const uintmax_t size = std::filesystem::file_size(name, error);
    if (error || size > maxBytes) {
        reason = error ? "cannot be read (" + error.message() + ")"
                       : "is larger than " + std::to_string(maxBytes) + " bytes";
        return boundedFileResult::refused;
    }
    std::ifstream in(name, std::ios::binary);
    text.assign(maxBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    if (text.size() > maxBytes || in.bad()) {
        reason = in.bad() ? "cannot be read" : "is larger than " + std::to_string(maxBytes) + " bytes";
        text.clear();
        return boundedFileResult::refused;
    }
    return boundedFileResult::read;
}
