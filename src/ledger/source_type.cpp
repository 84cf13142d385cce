#include "ledger/source_type.hpp"
