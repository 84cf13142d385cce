#include "report/donor_listings.hpp"
