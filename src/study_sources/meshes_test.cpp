#include "study_sources/meshes.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "record/schemes.hpp"
#include "study_sources/tasks.hpp"
#include "system/error.hpp"

namespace talvenor {
namespace {

TEST(Analyse, TakesTheThreeVariablesOfEachRun) {
  MeshRun coarse{10, 0.1, {0.5, 0.4, 1.5}, {0.49, 0.39, 1.4}, {}, 5, {}, {0.01, 0.02, 0.03}, 1.0};
  MeshRun fine{20, 0.05, {0.5, 0.4, 1.5}, {}, {}, 2, "floating-point overflow in iteration 2"};
  const std::vector<MeshRun> runs = {coarse, fine};
  const auto studies = analyse(runs, 1.0);
  // The three variables, then the three norms of the error: the norm alone, as the error.
  ASSERT_EQ(studies.size(), 6u);
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_EQ(studies[3 + k].name, kNormNames[k]);
    EXPECT_EQ(studies[3 + k].rows[0].error, 0.01 * static_cast<double>(k + 1));
    EXPECT_FALSE(studies[3 + k].rows[0].numerical);
    EXPECT_FALSE(studies[3 + k].rows[1].error);
  }
  for (std::size_t v = 0; v < 3; ++v) {
    EXPECT_EQ(studies[v].name, kVariableNames[v].console);
    EXPECT_EQ(studies[v].rows[0].numerical, coarse.numerical[v]);
    EXPECT_FALSE(studies[v].rows[1].numerical);
    EXPECT_EQ(studies[v].rows[1].fault, "floating-point overflow in iteration 2");
    EXPECT_EQ(studies[v].rows[1].exact, fine.exact[v]);
  }
}

TEST(FormalOrder, OfEachScheme) {
  CaseData data;
  data.esquema = 1;
  EXPECT_EQ(formal_order(data), 1.0);
  data.esquema = 2;
  EXPECT_EQ(formal_order(data), 2.0);
  data.esquema = 0;
  data.beta = 1.0;
  EXPECT_EQ(formal_order(data), 2.0);
  data.beta = 0.5;
  EXPECT_EQ(formal_order(data), 1.0);
}

TEST(CheckStudyCase, RejectsCasesThatComputeLess) {
  CaseData data;
  data.esquema = 1;
  data.fonte = 0;
  data.itmax = 1;
  EXPECT_NO_THROW(check_study_case(data));
  for (const auto& change : std::vector<void (*)(CaseData&)>{[](CaseData& d) { d.esquema = 3; },
                                                             [](CaseData& d) { d.fonte = -1; },
                                                             [](CaseData& d) { d.itmax = 0; }}) {
    CaseData bad = data;
    change(bad);
    try {
      check_study_case(bad);
      ADD_FAILURE() << "accepted";
    } catch (const Error& error) {
      EXPECT_EQ(error.kind(), Error::Kind::case_file);
    }
  }
  // A typed solution takes fonte's place: a fonte with no solution no longer matters.
  data.fonte = -1;
  data.typed = std::make_shared<const Manufactured>(manufacture("x^3", "--solution"));
  EXPECT_NO_THROW(check_study_case(data));
}

CaseData small_case() {
  CaseData data;
  data.caso.assign("estudo");
  data.esquema = 0;
  data.fonte = 0;
  data.N = 20;
  data.Re = 1.0;
  data.beta = 1.0;
  data.itmax = 20;
  data.freq = 1;
  return data;
}

bool same_bits(const std::array<double, kVariableCount>& a,
               const std::array<double, kVariableCount>& b) {
  return std::memcmp(a.data(), b.data(), sizeof(double) * kVariableCount) == 0;
}

TEST(RunMeshes, ResultsComeInMeshOrderWhateverTheThreads) {
  const std::vector<std::int32_t> meshes = {4, 6, 10, 16, 24};
  const CaseData base = small_case();
  std::vector<std::size_t> seen;
  const auto alone = run_meshes(base, meshes, Method::successive_substitution, 1);
  const auto shared = run_meshes(base, meshes, Method::successive_substitution, 3,
                                 [&](std::size_t done, std::size_t) { seen.push_back(done); });
  ASSERT_EQ(alone.size(), meshes.size());
  ASSERT_EQ(shared.size(), meshes.size());
  for (std::size_t k = 0; k < meshes.size(); ++k) {
    EXPECT_EQ(shared[k].N, meshes[k]);
    EXPECT_EQ(shared[k].h, 1.0 / meshes[k]);
    EXPECT_TRUE(same_bits(alone[k].numerical, shared[k].numerical)) << meshes[k];
    EXPECT_EQ(alone[k].iterations, shared[k].iterations) << meshes[k];
    EXPECT_TRUE(same_bits(alone[k].exact, shared[k].exact)) << meshes[k];
    EXPECT_FALSE(shared[k].fault);
  }
  ASSERT_FALSE(seen.empty());
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  EXPECT_EQ(seen.back(), meshes.size());
}

TEST(RunMeshes, AFailureOtherThanArithmeticIsThrownAfterTheOthersEnd) {
  CaseData base = small_case();
  const std::vector<std::int32_t> meshes = {4, std::numeric_limits<std::int32_t>::max() - 1};
  try {
    run_meshes(base, meshes, Method::newton, 2);
    ADD_FAILURE() << "a mesh too large for memory ran";
  } catch (const Error& error) {
    EXPECT_EQ(error.kind(), Error::Kind::memory);
  }
}

}  // namespace
}  // namespace talvenor
