// The program's entry: everything real is picked in RunProgram.
#include "startup/qt/Program.h"

int main(int argc, char** argv) { return driftmere::RunProgram(argc, argv); }
