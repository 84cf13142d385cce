#include "run/run_sequence.hpp"
