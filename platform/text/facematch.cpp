#include "platform/text/facematch.h"

#include <fontconfig/fontconfig.h>

namespace {

const char* const FALLBACK_FAMILY = "sans-serif";

std::string matchFile(const char* family, std::string* matchedFamily) {
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr)
        return {};
    // The family is added as a value, not parsed, so no text of a name is
    // taken as pattern syntax; sans-serif follows as the weaker choice.
    if (family != nullptr && family[0] != '\0')
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(FALLBACK_FAMILY));
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);

    std::string file;
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    if (match != nullptr) {
        FcChar8* path = nullptr;
        FcBool scalable = FcFalse;
        const bool isScalable =
            FcPatternGetBool(match, FC_SCALABLE, 0, &scalable) == FcResultMatch && scalable == FcTrue;
        if (isScalable && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path != nullptr) {
            file = reinterpret_cast<const char*>(path);
            FcChar8* name = nullptr;
            if (matchedFamily != nullptr && FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch)
                *matchedFamily = reinterpret_cast<const char*>(name);
        }
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return file;
}

} // namespace

std::string findFaceFile(const char* faceName, std::string* family) {
    if (FcInit() != FcTrue)
        return {};
    std::string file = matchFile(faceName, family);
    if (file.empty())
        file = matchFile(nullptr, family);
    return file;
}
