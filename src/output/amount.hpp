#ifndef QUORVA_OUTPUT_AMOUNT_HPP
#define QUORVA_OUTPUT_AMOUNT_HPP

#include <cstdint>

/// An amount of money in cents. 64 bits: a 32-bit total wraps above 21,474,836.47.
using Amount = std::int64_t;

#endif
