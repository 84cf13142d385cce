#ifndef QUORVA_RUN_BANNER_HPP
#define QUORVA_RUN_BANNER_HPP

/// What the program says of itself: its banner, its version line and its usage text. The start
/// of a run and every report file opened begin with the banner.

/// "QUORVA 2(5)-7", the notice and an empty line, through the message channel.
void printBanner();
/// "QUORVA 2(5)-7" alone on standard output.
void printVersion();
/// The usage text, unchanged, on standard output (console only).
void printUsage();

#endif
