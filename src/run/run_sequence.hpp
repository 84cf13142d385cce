#ifndef QUORVA_RUN_RUN_SEQUENCE_HPP
#define QUORVA_RUN_RUN_SEQUENCE_HPP

/// The fixed sequence after the last argument: table checks, totals, every report section,
/// and the closing tallies.
void runAnalysis();
/// The three closing tally lines.
void printClosingTallies();

#endif
