#pragma once

#include <string_view>

namespace talvenor {

/// Floating-point faults are detected from the status flags: clear them before a
/// stage, check them after each operation that can raise them. Division by zero,
/// invalid operation and overflow are faults; underflow and inexact are not.

/// Clears the fault flags of the calling thread.
void clear_fp_faults();

/// True when a fault flag is raised: the cheap test for a loop, before it builds
/// the words that check_fp_faults needs.
bool fp_faults_raised();

/// Throws Error (arithmetic) if a fault flag is raised, naming the fault and
/// `where`; the flags are left as they were.
///   check_fp_faults("iteration 3 (tdma)") after 1.0 / 0.0 ->
///   "floating-point division by zero in iteration 3 (tdma)"
void check_fp_faults(std::string_view where);

}  // namespace talvenor
