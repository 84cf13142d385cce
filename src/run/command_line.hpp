#ifndef QUORVA_RUN_COMMAND_LINE_HPP
#define QUORVA_RUN_COMMAND_LINE_HPP

/// The third number of the banner.
extern int editNumber;

/// The whole program: banner, arguments left to right, analysis, tallies. Returns the exit
/// status (1 without arguments or when an error was reported).
int runProgram(int argc, const char* const* argv);

/// Three banner lines through the message channel.
void printBanner();
/// Stores level 0 to 4 in verbosityLevel; false (level unchanged) otherwise.
bool setVerbosity(long level);
/// "Messaging enabled:" and one line per level reached.
void showVerbosity();
/// "24" is 2024, "75" is 1975, "1951" and up as written; -1 for 100-1950 or a non-digit start.
long parseYearArgument(const char* text);
/// Stores the last year of the Form 990 period.
void setLatestFormYear(long year);
/// Handles one command-line argument (an option or a list name).
void handleArgument(const char* argument);
/// Returns every subsystem's state to its start (tallies, verbosity, donor table, totals,
/// latest year, edition number); runProgram calls it first, so runs in one process are alike.
/// Leaves an open report file alone.
void resetProgramState();

#endif
