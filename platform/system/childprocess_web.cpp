#include "platform/system/childprocess.h"

// A page cannot start programs: there are no computer players of its own.

pid_t startProgramCopy(const std::vector<std::string>&, const std::string&) {
    return -1;
}

void stopProgramCopies(const std::vector<pid_t>&, int) {}
