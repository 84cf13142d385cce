#ifndef QUORVA_OUTPUT_AMOUNT_HPP
#define QUORVA_OUTPUT_AMOUNT_HPP

#include <cstdint>

/// An amount of money in cents. 64 bits: a 32-bit total wraps above 21,474,836.47.
using Amount = std::int64_t;

/// The largest sum of magnitudes the ledger books (10^15 cents); keeps every total and every
/// ratio product (total x 1000) inside 64 bits.
constexpr Amount kLedgerMagnitudeLimit = 1000000000000000;

#endif
