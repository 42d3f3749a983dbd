#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// Copies of the running program started as child processes, for the computer
// players a hosting copy brings along.

// Starts this program again with arguments, working in folder (made when
// missing). The child's id, or -1 when it cannot be started.
pid_t startProgramCopy(const std::vector<std::string>& arguments, const std::string& folder);

// Asks every child to stop (SIGTERM), waits up to timeoutMs for all of them,
// then kills what is left; every child is reaped.
void stopProgramCopies(const std::vector<pid_t>& children, int timeoutMs);
