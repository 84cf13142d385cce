#include "run/command_line.hpp"

int main(int argc, char** argv) { return runProgram(argc, argv); }
