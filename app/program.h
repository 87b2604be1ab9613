#pragma once
// Start-up and the two ways the program ends: the last window closed, or
// ExitProgram from anywhere.

namespace quotidia {

// From the created handler of MainWindow to the end of its message loop; the
// shutdown has run when it returns 0.
int RunProgram();

// Destroys every window, then runs the exit clean-up routines.
void RunShutdown();

// Runs the shutdown and ends the process with the code at once, from any
// nesting (a message box, the About window, a web request's message
// processing): nothing further up the stack resumes.
[[noreturn]] void ExitProgram(int code);

}  // namespace quotidia
