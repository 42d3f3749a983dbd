#pragma once

// SIGINT and SIGTERM ask a windowless process to stop; it looks at the request
// between steps, so it ends cleanly.
void installStopSignals();
bool isStopRequested();
void requestStop(); // the same as a signal, from code
