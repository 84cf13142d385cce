#include "ledger/donor_table.hpp"
