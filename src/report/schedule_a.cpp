#include "report/schedule_a.hpp"
