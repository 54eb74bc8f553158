#include "study_sources/command_runs.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <span>
#include <string>
#include <vector>

#include "system/error.hpp"
#include "system/scratch_folder_test.hpp"

namespace talvenor {
namespace {

TEST(CommandRuns, SubstitutesOnlyTheKnownPlaceholders) {
  const std::vector<std::pair<std::string, std::string>> values = {
      {"N", "20"}, {"h", "0.05"}, {"scheme", "upwind"}};
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"solve -n {N} -h {h} -s {scheme}", "solve -n 20 -h 0.05 -s upwind"},
      {"awk '{print {N}}' {other} {", "awk '{print 20}' {other} {"},
      {"{N}{N}}", "2020}"},
      {"plain", "plain"},
  };
  for (const auto& [command, expected] : cases) EXPECT_EQ(substitute(command, values), expected);
}

TEST(CommandRuns, ReadsFormalOrdersForAllOrPerValue) {
  EXPECT_EQ(formal_orders("2").all, 2.0);
  const FormalOrders orders = formal_orders("scheme=upwind:1,central:2");
  EXPECT_EQ(orders.of({{"grid", "a"}, {"scheme", "central"}}), 2.0);
  EXPECT_EQ(orders.of({{"scheme", "upwind"}}), 1.0);
  EXPECT_EQ(orders.of({{"scheme", "other"}}), std::nullopt);
  const std::vector<std::pair<std::string, std::string>> bad = {
      {"0", "--formal-order: expected an order above 0, found '0'"},
      {"scheme=upwind", "--formal-order: expected VALUE:ORDER after 'scheme=', found 'upwind'"},
      {"scheme=upwind:x", "--formal-order: expected an order above 0, found 'x'"},
  };
  for (const auto& [text, message] : bad) {
    try {
      formal_orders(text);
      ADD_FAILURE() << "accepted " << text;
    } catch (const Error& error) {
      EXPECT_EQ(error.kind(), Error::Kind::usage);
      EXPECT_EQ(std::string(error.what()), message);
    }
  }
}

#ifndef _WIN32
/// An exact solution given point by point, as CommandSettings::exact takes it.
template <class U>
auto pointwise(U u) {
  return [u](std::span<const double> x, std::span<double> out) {
    for (std::size_t i = 0; i < x.size(); ++i) out[i] = u(x[i]);
  };
}

class CommandStudyTest : public ScratchFolderTest {
 protected:
  CommandSettings settings(const std::string& command) {
    CommandSettings one;
    one.command = command;
    one.meshes = {10, 20, 40};
    one.runs = "study-runs";
    one.jobs = 3;
    return one;
  }
};

// q = 1 + 1/N^2 against 1: second order; the mesh of N = 20 fails, times out or prints
// what cannot be read, and gets a note while the others are read.
TEST_F(CommandStudyTest, AFailingMeshIsAMeshWithANote) {
  const std::string good =
      "echo variable,value,exact; echo q,$(awk 'BEGIN{printf \"%.17g\", 1+1/{N}^2}'),1";
  struct Case {
    std::string failing;
    std::optional<double> timeout;
    std::string note;
  };
  const std::vector<Case> cases = {
      {"echo went wrong >&2; echo 'last line' >&2; exit 3", {}, "N = 20: status 3: last line"},
      {"sleep 5", 0.2, "N = 20: timed out after 0.2 s"},
      {"echo variable,value; echo q,abc", {},
       "N = 20: unreadable result: stdout.txt line 2, column 2 (value): expected a number, "
       "found 'abc'"},
      {"true", {}, "N = 20: unreadable result: stdout.txt: empty: no line of results"},
  };
  for (const Case& c : cases) {
    CommandSettings one = settings("if [ {N} = 20 ]; then " + c.failing + "; else " + good + "; fi");
    one.timeout = c.timeout;
    const std::vector<CommandCombination> all = run_command_study(one);
    ASSERT_EQ(all.size(), 1u);
    ASSERT_EQ(all[0].studies.size(), 1u) << c.failing;
    const VariableStudy& q = all[0].studies[0];
    EXPECT_EQ(q.name, "q");
    ASSERT_EQ(q.rows.size(), 3u);
    EXPECT_TRUE(diverged(q.rows[1]));
    EXPECT_EQ(q.rows[1].fault, c.note.substr(std::string("N = 20: ").size()));
    EXPECT_EQ(all[0].notes, std::vector<std::string>{c.note});
    EXPECT_NEAR(*q.rows[2].error, -1.0 / 1600, 1e-15);
    EXPECT_TRUE(std::filesystem::exists("study-runs/N40/stdout.txt"));
  }
}

// u = x^2 + x(1 - x)/N^2 against x^2: the error x(1 - x) h^2, whose trapezoidal sums
// are h^2 (1/6 - h^2/6) (L1, Euler-Maclaurin, exact for a quadratic) and its largest
// h^2/4 at x = 0.5.
TEST_F(CommandStudyTest, JudgesANodalSolutionByItsNormsAndPoints) {
  CommandSettings one = settings(
      "awk 'BEGIN{print \"x,u\"; for(i=0;i<={N};i++){x=i/{N}; "
      "printf \"%.17g,%.17g\\n\", x, x*x+x*(1-x)/({N}*{N})}}'");
  one.exact = pointwise([](double x) { return x * x; });
  one.points = {0.5, 0.3};
  const std::vector<CommandCombination> all = run_command_study(one);
  ASSERT_EQ(all[0].studies.size(), 5u);
  const std::vector<std::string> names = {"L1(e)", "L2(e)", "Linf(e)", "u(0.5)", "u(0.3)"};
  for (std::size_t v = 0; v < names.size(); ++v) EXPECT_EQ(all[0].studies[v].name, names[v]);
  for (std::size_t m = 0; m < 3; ++m) {
    const double h = 1.0 / one.meshes[m];
    EXPECT_NEAR(*all[0].studies[0].rows[m].error, h * h * (1.0 - h * h) / 6.0, 1e-15);
    EXPECT_NEAR(*all[0].studies[2].rows[m].error, h * h / 4.0, 1e-15);
    EXPECT_NEAR(*all[0].studies[3].rows[m].numerical, 0.25 + h * h / 4.0, 1e-15);
  }
  // x = 0.3 is a node of N = 10, 20 and 40 (within 1e-9); the order of u there is 2.
  EXPECT_NEAR(*all[0].studies[4].order_all, 2.0, 1e-6);
}

TEST_F(CommandStudyTest, WeighsUnevenNodesByTheTrapezoidalRule) {
  // Nodes 0, 0.2, 1 with u = 0 against u = x: L1 = 0.5 (exact for a linear error),
  // L2^2 = 0.1 * 0.04 + 0.4 * (0.04 + 1) = 0.42; no node at 0.5.
  CommandSettings one = settings("printf 'x,u\\n0,0\\n0.2,0\\n1,0\\n'");
  one.exact = pointwise([](double x) { return x; });
  one.points = {0.5};
  const std::vector<CommandCombination> all = run_command_study(one);
  ASSERT_EQ(all[0].studies.size(), 4u);
  EXPECT_NEAR(*all[0].studies[0].rows[0].error, 0.5, 1e-15);
  EXPECT_NEAR(*all[0].studies[1].rows[0].error, std::sqrt(0.42), 1e-15);
  EXPECT_EQ(*all[0].studies[2].rows[0].error, 1.0);
  EXPECT_EQ(all[0].studies[3].rows[0].fault, "no value of u(0.5)");
  // An exact solution that cannot be had at a node ends the study, not just a mesh.
  one.exact = [](auto, auto) { throw Error(Error::Kind::case_file, "u is not finite at x = 0"); };
  EXPECT_THROW(run_command_study(one), Error);
}

TEST_F(CommandStudyTest, RunsEachCombinationInItsFolderWithItsOrder) {
  CommandSettings one = settings("echo value; echo {p}{N}");
  one.sweep = {{"p", {"1", "a/b"}}, {"q", {"x"}}};
  one.formal = formal_orders("p=1:1,2:2");
  const std::vector<CommandCombination> all = run_command_study(one);
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].label, "p=1, q=x");
  EXPECT_EQ(all[0].formal, 1.0);
  EXPECT_EQ(all[1].formal, std::nullopt);
  EXPECT_EQ(read("study-runs/p=1,q=x/N40/stdout.txt"), "value\n140\n");
  EXPECT_TRUE(std::filesystem::exists("study-runs/p=a_b,q=x/N10/stdout.txt"));
  EXPECT_EQ(all[1].notes.size(), 3u);  // "a/b10" is no number
}
#endif

}  // namespace
}  // namespace talvenor
