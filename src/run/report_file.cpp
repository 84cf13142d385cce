#include "run/report_file.hpp"
