#ifndef QUORVA_RUN_RUN_SEQUENCE_HPP
#define QUORVA_RUN_RUN_SEQUENCE_HPP

/// The whole program: banner, arguments left to right, analysis, tallies. Returns the exit
/// status (1 without arguments or when an error was reported).
int runProgram(int argc, const char* const* argv);
/// runProgram without its resetProgramState first: for a caller that has put names into the
/// ledger before the arguments are read, as a fuzz target does.
int runProgramOnState(int argc, const char* const* argv);
/// Returns every subsystem's state to its start (tallies, verbosity, donor table, totals,
/// latest year); runProgram calls it first, so runs in one process are alike. Leaves an open
/// report file alone, and the donor table its storage (clearDonorTable).
void resetProgramState();
/// The fixed sequence after the last argument: table checks, totals, every report section,
/// and the closing tallies.
void runAnalysis();
/// The three closing tally lines.
void printClosingTallies();

#endif
