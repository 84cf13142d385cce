#include "input/date_parser.hpp"
