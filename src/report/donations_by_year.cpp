#include "report/donations_by_year.hpp"
