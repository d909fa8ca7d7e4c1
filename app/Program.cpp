// Tibo: the program's entry point.
#include "app/Harness.h"

int main(int argc, char** argv) { return tibo::RunProgram(argc, argv); }
