#pragma once

bool isDebuggerAttached(); // a tracer is attached to this process
void breakIntoDebugger();  // stops in the attached debugger; does nothing when none is attached
