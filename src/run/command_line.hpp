#ifndef QUORVA_RUN_COMMAND_LINE_HPP
#define QUORVA_RUN_COMMAND_LINE_HPP

/// "Messaging enabled:" and one line per level reached.
void showVerbosity();
/// "24" is 2024, "75" is 1975, "1951" and up as written; -1 for 100-1950 or a non-digit start.
long parseYearArgument(const char* text);
/// Handles one command-line argument (an option or a list name).
void handleArgument(const char* argument);
/// Handles argv[1] to argv[argc - 1] from left to right; a report file named by -o= is checked
/// against every list of them, and a list against the lists before it.
void handleArguments(int argc, const char* const* argv);

#endif
