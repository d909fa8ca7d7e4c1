// Tibo: the program's entry point.
#include "shell/Harness.h"

int main(int argc, char** argv) { return tibo::RunProgram(argc, argv); }
