#include "output/money_format.hpp"
