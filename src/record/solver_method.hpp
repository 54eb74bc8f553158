#pragma once

// The two ways of solving the discrete equations, and every name each goes by.

#include <array>
#include <string_view>

namespace talvenor {

/// The two ways of solving the discrete equations.
enum class Method {
  successive_substitution,  ///< one linearised solve per iteration, u of the last iterate frozen
  newton,                   ///< Newton's method on the discrete equations
};

/// How a method is named: on the command line (--solver picard), in prose
/// ("successive substitution") and in a plot title ("Newton").
struct MethodNames {
  Method method;
  std::string_view option;
  std::string_view prose;
  std::string_view title;
};

/// The methods, in the order help texts and messages list them.
inline constexpr std::array<MethodNames, 2> kMethods = {{
    {Method::newton, "newton", "Newton's method", "Newton"},
    {Method::successive_substitution, "picard", "successive substitution",
     "successive substitution"},
}};

/// The names of `method`: method_names(Method::newton).option -> "newton".
constexpr const MethodNames& method_names(Method method) {
  for (const MethodNames& names : kMethods) {
    if (names.method == method) return names;
  }
  return kMethods.front();
}

}  // namespace talvenor
