#include "textio/number_format.hpp"
