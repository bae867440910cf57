#include "program/ProgramStart.h"

int main(int argc, char** argv) { return vsx::RunProgram(argc, argv); }
