#pragma once

// Starts ENet once per process; false when it cannot start. Safe from any thread.
bool netStartTransport();
