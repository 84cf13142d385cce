#ifndef QUORVA_LEDGER_MAGNITUDE_LIMIT_HPP
#define QUORVA_LEDGER_MAGNITUDE_LIMIT_HPP

#include "output/amount.hpp"

/// The largest sum of magnitudes the ledger books (10^15 cents); keeps every total and every
/// ratio product (total x 1000) inside 64 bits.
constexpr Amount kLedgerMagnitudeLimit = 1000000000000000;

#endif
