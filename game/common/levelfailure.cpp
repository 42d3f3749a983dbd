#include "game/common/levelfailure.h"

#include "game/common/gamenetwork.h"
#include "game/level/qxl.h"
#include "platform/language/textformat.h"
#include "platform/language/translation.h"

#include <cstdio>
#include <string>

namespace {

int reportLevelFailure(const char* reason, void (*show)(const char* text)) {
    const std::string text =
        formatText(tr("The level file \"%s\" cannot be loaded: %s."), getLevelFileName().c_str(), tr(reason));
    std::fprintf(stderr, "zeb: %s\n", text.c_str());
    if (show != nullptr)
        show(text.c_str());
    return 1;
}

} // namespace

int runReportingLevelFailures(const std::function<int()>& body, void (*show)(const char* text)) {
    try {
        return body();
    } catch (const QXL::InvalidFileFormatException&) {
        return reportLevelFailure(
            marked("it is not a valid level (malformed XML, or a part is missing or wrong)"), show);
    } catch (const QXL::InvalidParameterException&) {
        return reportLevelFailure(marked("it holds an empty or invalid value"), show);
    } catch (const QXL::Exception&) {
        return reportLevelFailure(marked("it cannot be opened"), show);
    }
}
