#include "input/line_parser.hpp"
