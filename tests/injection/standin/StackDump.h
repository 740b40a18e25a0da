// Where a hung program is: on request from the test (a named event, "PelmoraInjectStacks<pid>",
// set when a run outlives its time) every thread of the process but the dumping one is stopped
// in turn and its stack walked through the modules' unwind tables, one report line per frame:
//   stack <thread id> <depth> <module>+0x<offset> <function>
// then "stacks end".
#pragma once

// Starts the thread that waits for the request (once).
void StartStackDumpWatch();
