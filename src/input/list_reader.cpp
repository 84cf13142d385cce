#include "input/list_reader.hpp"
