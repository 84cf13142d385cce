#ifndef QUORVA_LEDGER_NAME_FOLDING_HPP
#define QUORVA_LEDGER_NAME_FOLDING_HPP

#include <cstddef>

#include "ledger/donor_records.hpp"
#include "ledger/unicode_tables.hpp"

// Names that are not ASCII: two spellings are one name when they are the same after Unicode's
// simple case folding and canonical composition (JOSÉ, José, and José written with a combining
// accent), but not after a folding that changes the number of letters (Straße and STRASSE stay
// two). The folded form is the canonical decomposition, folded code point by code point, then
// composed again (NFC). A name that is not well-formed UTF-8 is compared by its bytes.

/// Room for the folded form of a stored name.
constexpr std::size_t kFoldedNameRoom =
    kStoredNameLength * unicode_data::kFoldedBytesPerByte + 1;

/// Writes the folded form of the first length characters of name (at most kStoredNameLength)
/// into folded (kFoldedNameRoom bytes), zero-terminated; returns its length, or 0 when they are
/// not well-formed UTF-8 (or empty).
std::size_t foldName(const char* name, std::size_t length, char* folded);

#endif
