#include "app/globals.h"

#include <algorithm>
#include <vector>

namespace quotidia {

Text CategoryCode;
Text CategoryName;
Text LastSentence;

namespace {
std::vector<ExitCleanup>& Cleanups() {
    static std::vector<ExitCleanup> list;
    return list;
}
}  // namespace

void ReleaseGlobals() {
    CategoryCode = Text();
    CategoryName = Text();
    LastSentence = Text();
}

void AddExitCleanup(ExitCleanup routine) {
    auto& list = Cleanups();
    if (routine && std::find(list.begin(), list.end(), routine) == list.end()) list.push_back(routine);
}

void RunExitCleanups() {
    for (ExitCleanup routine : Cleanups()) routine();
}

}  // namespace quotidia
