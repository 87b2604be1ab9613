#pragma once
// The program's three global values and the list of routines that the
// shutdown runs. The fetch command is their only writer and reader.

#include "text/types.h"

namespace quotidia {

extern Text CategoryCode;
extern Text CategoryName;
extern Text LastSentence;

// Empties the three values, in the order above.
void ReleaseGlobals();

using ExitCleanup = void (*)();
// Adding a routine already in the list leaves the list as it is.
void AddExitCleanup(ExitCleanup routine);
// Runs the routines in the order they were added, once per run of the
// shutdown.
void RunExitCleanups();

}  // namespace quotidia
