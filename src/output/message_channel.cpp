#include "output/message_channel.hpp"
