#include "run/command_line.hpp"
