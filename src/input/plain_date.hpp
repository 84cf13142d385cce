#ifndef QUORVA_INPUT_PLAIN_DATE_HPP
#define QUORVA_INPUT_PLAIN_DATE_HPP

#include "input/date_parser.hpp"

/// Reads a date of a plain form ("1/15/2020", "15 Jan 2020", "15 January 2020" and the same with
/// dashes, numbers of up to nine digits) that starts text and is ended by the character end, as
/// the rewriting and scanning of parseDate read it; returns the position of the end, or nullptr
/// (nothing read, nothing reported) when the text has no plain form.
const char* readPlainDate(const char* text, char end, DateParts& parts);

#endif
