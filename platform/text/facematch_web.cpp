#include "platform/text/facematch.h"

#include "platform/system/executablepath.h"

// A page has no fontconfig and no fonts of its own to read: the program
// carries Arial's metric twin in its data, and every face name gets it.
namespace {
constexpr const char* EMBEDDED_FACE_FILE = "/LiberationSans-Regular.ttf";
constexpr const char* EMBEDDED_FACE_FAMILY = "Liberation Sans";
} // namespace

std::string findFaceFile(const char*, std::string* family) {
    if (!fileExists(EMBEDDED_FACE_FILE))
        return std::string();
    if (family != nullptr)
        *family = EMBEDDED_FACE_FAMILY;
    return EMBEDDED_FACE_FILE;
}
