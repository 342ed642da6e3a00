#pragma once

namespace driftmere {

// The program: reads the command line and runs the one mode it names until that mode ends.
// Returns the exit status.
int RunProgram(int argc, char** argv);

}  // namespace driftmere
