#ifndef QUORVA_INPUT_LINE_GRAMMAR_HPP
#define QUORVA_INPUT_LINE_GRAMMAR_HPP

#include "input/line_scan.hpp"

/// The field after a separator that the full grammar reads on from.
enum class GrammarField : int { second, amount };

/// Reads the line by the full grammar, character by character, from the field after the
/// separator at position separator (the TAB, CR or LF that ended the field before it;
/// atLineEnd when the line had ended there) to the line's kind: the second field as a keyword, a
/// column name or a date, then the amount with its blanks, quotation marks and dropped
/// characters. Notes whatever is unusual.
void readByGrammar(LineScan& scan, GrammarField field, int separator, bool atLineEnd);

#endif
