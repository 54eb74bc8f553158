#include "system/program.hpp"

#include <cstdio>
#include <exception>
#include <new>
#include <optional>
#include <string>

#include "system/error.hpp"
#include "system/platform.hpp"

namespace talvenor {
namespace {

std::string_view program_name = "talvenor";

void report(std::string_view message) {
  std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(program_name.size()), program_name.data(),
               static_cast<int>(message.size()), message.data());
}

}  // namespace

int run_program(std::string_view name, const std::function<void()>& body) {
  program_name = name;
  try {
    body();
    if (const std::optional<Error> stop = interruption()) throw *stop;
    return 0;
  } catch (const Error& error) {
    // Whatever an interruption broke (a read of the console) reports as the interruption.
    const Error reported = interruption().value_or(error);
    report(reported.what());
    return reported.status();
  } catch (const std::bad_alloc&) {
    report("out of memory");
    return static_cast<int>(Error::Kind::memory);
  } catch (const std::exception& error) {
    // Unwinding to here has closed the open files, each complete up to the failure.
    report("unexpected failure: " + std::string(error.what()));
    return static_cast<int>(Error::Kind::unexpected);
  }
}

void warn(std::string_view text) {
  report("warning: " + std::string(text));
}

void note(std::string_view text) {
  report("note: " + std::string(text));
}

}  // namespace talvenor
