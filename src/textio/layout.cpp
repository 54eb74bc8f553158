#include "textio/layout.hpp"
