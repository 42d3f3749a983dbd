#pragma once

#include <cstdint>

// This process's id as the system shows it (for log lines and seeds).
uint32_t currentProcessId();
