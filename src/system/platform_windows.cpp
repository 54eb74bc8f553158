#include "system/platform.hpp"

namespace talvenor {

int run_command(std::string_view) { return -1; }
std::string quote_argument(std::string_view name) { return std::string(name); }
double wall_seconds() { return 0.0; }
std::optional<std::uint64_t> available_memory() { return std::nullopt; }
bool stderr_is_terminal() { return false; }

}  // namespace talvenor
