#include "ledger/totals.hpp"
