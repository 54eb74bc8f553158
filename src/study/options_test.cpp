#include "study/options.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "analysis/verdict.hpp"
#include "study_sources/solution_lint.hpp"
#include "system/error.hpp"

namespace talvenor {
namespace {

StudyOptions parsed(std::vector<std::string_view> arguments) {
  return parse_options(arguments);
}

/// The message of the usage error that `arguments` give; fails when they give none.
std::string usage_error(std::vector<std::string_view> arguments) {
  try {
    parse_options(arguments);
  } catch (const Error& error) {
    EXPECT_EQ(error.status(), 2);
    return error.what();
  }
  ADD_FAILURE() << "no error";
  return {};
}

TEST(StudyOptions, DefaultsLeaveEverythingToTheCase) {
  const StudyOptions options = parsed({});
  EXPECT_FALSE(options.help);
  EXPECT_TRUE(options.meshes.empty());
  EXPECT_FALSE(options.jobs);
  EXPECT_FALSE(options.output);
}

TEST(StudyOptions, ValuesFollowAsTheNextArgumentOrAfterAnEqualsSign) {
  const StudyOptions spaced = parsed({"--meshes", "10,16,22", "--jobs", "3", "--output", "a b"});
  EXPECT_EQ(spaced.meshes, (std::vector<std::int32_t>{10, 16, 22}));
  EXPECT_EQ(spaced.jobs, 3);
  EXPECT_EQ(spaced.output, "a b");
  const StudyOptions joined = parsed({"--meshes=20,40", "--jobs=1", "--output=x/y"});
  EXPECT_EQ(joined.meshes, (std::vector<std::int32_t>{20, 40}));
  EXPECT_EQ(joined.jobs, 1);
  EXPECT_EQ(joined.output, "x/y");
  EXPECT_TRUE(parsed({"--jobs", "2", "--help"}).help);
  EXPECT_TRUE(parsed({"-h"}).help);
}

TEST(StudyOptions, SweepsListTheirValuesOnce) {
  const StudyOptions options =
      parsed({"--sweep", "fonte=0,2", "--sweep=Re=1,2.5e1", "--sweep", "esquema=2"});
  EXPECT_EQ(options.sweep.fonte, (std::vector<std::int32_t>{0, 2}));
  EXPECT_EQ(options.sweep.Re, (std::vector<double>{1.0, 25.0}));
  EXPECT_EQ(options.sweep.esquema, (std::vector<std::int32_t>{2}));
  EXPECT_TRUE(options.sweep.beta.empty());
  EXPECT_TRUE(parsed({}).sweep.empty());
  const std::string help = " (talvenor-study --help lists the options)";
  EXPECT_EQ(usage_error({"--sweep", "N=10,20"}),
            "--sweep: expected NAME=V1,V2,... with NAME esquema, fonte, Re or beta, found "
            "'N=10,20'" +
                help);
  EXPECT_EQ(usage_error({"--sweep", "fonte=1,7"}),
            "--sweep fonte: expected 0 to 4, found '7'" + help);
  EXPECT_EQ(usage_error({"--sweep", "Re=1,", "--meshes", "2,4"}),
            "--sweep Re: expected a real number, found ''" + help);
  EXPECT_EQ(usage_error({"--sweep", "beta=0.5,5e-1"}),
            "--sweep beta: the value 5e-1 is listed twice" + help);
  EXPECT_EQ(usage_error({"--sweep", "esquema=0", "--sweep", "esquema=1"}),
            "--sweep esquema: swept twice; list all its values in one --sweep" + help);
}

TEST(StudyOptions, BadOptionsAreOneLineEach) {
  EXPECT_EQ(usage_error({"--mesh", "20,40"}),
            "unknown option '--mesh'; did you mean --meshes? (talvenor-study --help lists the "
            "options)");
  EXPECT_EQ(usage_error({"--formal_order=2"}),
            "unknown option '--formal_order=2'; did you mean --formal-order? (talvenor-study "
            "--help lists the options)");
  EXPECT_EQ(usage_error({"--help=all"}),
            "--help: takes no value (talvenor-study --help lists the options)");
  EXPECT_EQ(usage_error({"Talvenor.in"}),
            "unexpected argument 'Talvenor.in' (talvenor-study --help lists the options)");
  EXPECT_EQ(usage_error({"--jobs"}),
            "--jobs: a value must follow (talvenor-study --help lists the options)");
  EXPECT_EQ(usage_error({"--jobs", "0"}),
            "--jobs: expected a whole number of at least 1, found '0' (talvenor-study --help "
            "lists the options)");
  EXPECT_EQ(usage_error({"--output="}),
            "--output: the prefix is empty (talvenor-study --help lists the options)");
  // A line end or an escape sequence of the terminal in an argument stays one readable line.
  EXPECT_EQ(usage_error({"--x\nfake: line"}),
            "unknown option '--x\\x0Afake: line' (talvenor-study --help lists the options)");
  EXPECT_EQ(usage_error({"--solver", "\x1B[2J"}),
            "--solver: expected newton or picard, found '\\x1B[2J' (talvenor-study --help lists "
            "the options)");
}

TEST(StudyOptions, DataGoesWithItsOwnOptionsAlone) {
  const StudyOptions data =
      parsed({"--data", "r.csv", "--dimension=2", "--formal-order", "1.5", "--junit", "j.xml"});
  EXPECT_EQ(data.data, "r.csv");
  EXPECT_EQ(data.dimension, 2);
  EXPECT_EQ(data.formal_order, 1.5);
  EXPECT_EQ(data.junit, "j.xml");
  const std::string tail = " (talvenor-study --help lists the options)";
  EXPECT_EQ(usage_error({"--data", "r.csv", "--sweep", "Re=1,2"}),
            "--sweep: not with --data: the data file holds its own meshes and values" + tail);
  EXPECT_EQ(usage_error({"--solver", "picard", "--data", "r.csv"}),
            "--solver: not with --data: the data file holds its own meshes and values" + tail);
  EXPECT_EQ(usage_error({"--formal-order", "2"}),
            "--formal-order: only with --data FILE or --run" + tail);
  EXPECT_EQ(usage_error({"--junit", "j.xml"}),
            "--junit: only with --sweep, --data or --run: the studies that end with verdicts" + tail);
  EXPECT_EQ(usage_error({"--require", "verified"}),
            "--require: only with --sweep, --data or --run: the studies that end with verdicts" + tail);
  EXPECT_EQ(usage_error({"--data", "r.csv", "--require", "refine"}),
            "--require: expected verified, found 'refine'" + tail);
  EXPECT_EQ(parsed({"--data", "r.csv", "--require=verified"}).require, Requirement::verified);
  EXPECT_EQ(data.require, Requirement::order);
  EXPECT_EQ(usage_error({"--data", "r.csv", "--dimension", "4"}),
            "--dimension: expected 1, 2 or 3, found '4'" + tail);
  EXPECT_EQ(usage_error({"--data", "r.csv", "--formal-order", "0"}),
            "--formal-order: expected an order above 0, found '0'" + tail);
  // Given twice, one value would go unused; a prefix is the start of file names.
  EXPECT_EQ(usage_error({"--data", "r.csv", "--data=s.csv"}), "--data: given twice; give it once" + tail);
  EXPECT_EQ(usage_error({"--data", "r.csv", "--formal-order", "1", "--formal-order", "2"}),
            "--formal-order: given twice; give it once" + tail);
  EXPECT_EQ(usage_error({"--data", "r.csv", "--output", "results/"}),
            "--output: 'results/' ends with a separator: the prefix begins the files' names; add "
            "one, as in 'results/run' for results/run.csv" + tail);
  EXPECT_EQ(usage_error({"--output", "."}),
            "--output: '.' is a folder: the prefix begins the files' names; add one, as in "
            "'./run' for ./run.csv" + tail);
}

TEST(StudyOptions, RunSweepsTheUsersOwnOptions) {
  const StudyOptions run =
      parsed({"--sweep", "scheme=up,central", "--run", "solve {N} {scheme}", "--meshes", "10,20",
              "--point", "0.5,0.25", "--timeout", "2.5", "--result", "out/u.csv",
              "--formal-order", "scheme=up:1,central:2"});
  ASSERT_EQ(run.own_sweep.size(), 1u);
  EXPECT_EQ(run.own_sweep[0].name, "scheme");
  EXPECT_EQ(run.own_sweep[0].values, (std::vector<std::string>{"up", "central"}));
  EXPECT_TRUE(run.sweep.empty());
  EXPECT_EQ(run.points, (std::vector<double>{0.5, 0.25}));
  EXPECT_EQ(run.timeout, 2.5);
  ASSERT_TRUE(run.formal_by_value);
  EXPECT_EQ(run.formal_by_value->name, "scheme");
  EXPECT_EQ(run.formal_by_value->by_value,
            (std::vector<std::pair<std::string, double>>{{"up", 1.0}, {"central", 2.0}}));
  const std::string tail = " (talvenor-study --help lists the options)";
  const std::vector<std::pair<std::vector<std::string_view>, std::string>> bad = {
      {{"--run", "s", "--sweep", "N=1,2"},
       "--sweep: expected NAME=V1,V2,... with NAME a word of letters, digits and _ other than N "
       "and h, found 'N=1,2'"},
      {{"--run", "s", "--sweep", "a=1", "--sweep", "a=2"},
       "--sweep a: swept twice; list all its values once"},
      {{"--run", "s", "--sweep", "a=1,,2"}, "--sweep a: an empty or repeated value in 'a=1,,2'"},
      {{"--run", "s", "--solver", "newton"}, "--solver: not with --run: the command solves"},
      {{"--timeout", "1"}, "--timeout: only with --run COMMAND"},
      {{"--run", "s", "--timeout", "0"}, "--timeout: expected a number above 0, found '0'"},
      {{"--run", "s", "--result", "/tmp/u.csv"},
       "--result: a name in each mesh's folder, not an absolute path"},
      {{"--run", "s", "--meshes", "1,2", "--sweep", "a=1,2", "--formal-order", "b=1:2"},
       "--formal-order: 'b' is not swept: give its values with --sweep b=V1,V2,..."},
      {{"--run", "s", "--meshes", "1,2", "--sweep", "a=1,2", "--formal-order", "a=1:2,3:1"},
       "--formal-order: '3' is not a value of --sweep a"},
      {{"--data", "r.csv", "--formal-order", "Re=1:2"},
       "--formal-order: an order per value only with --run and its --sweep"},
  };
  for (const auto& [arguments, message] : bad) EXPECT_EQ(usage_error(arguments), message + tail);
}

TEST(StudyOptions, SolutionsAreParsedOnceAndTwoMakeACampaign) {
  const StudyOptions one = parsed({"--solution", "layer"});
  ASSERT_EQ(one.sweep.solution.size(), 1u);
  EXPECT_EQ(one.sweep.solution.front()->formula, solution_formula("layer"));
  EXPECT_EQ(study_mode(one), kCaseStudy);
  EXPECT_EQ(study_mode(parsed({"--solution", "x", "--solution=x^3", "--junit", "j.xml"})),
            kCampaign);
  const StudyOptions source = parsed({"--source", "x^3", "--language=fortran", "--operator", "u"});
  EXPECT_EQ(study_mode(source), kSourceCode);
  EXPECT_EQ(source.language, Language::fortran);
  const std::string tail = " (talvenor-study --help lists the options)";
  const std::pair<std::vector<std::string_view>, std::string> refused[] = {
      {{"--solution", "x", "--solution", "x"}, "--solution: 'x' is given twice"},
      {{"--solution", "x", "--sweep", "fonte=1,2"},
       "--solution: not with --sweep fonte: each --solution is a solution of the campaign"},
      {{"--data", "r.csv", "--solution", "x"},
       "--solution: not with --data: the data file holds its own meshes and values"},
      {{"--source", "x"}, "--source: --language c|fortran|python|latex must go with it"},
      {{"--source", "x", "--language", "java"},
       "--language: expected c, fortran, python or latex, found 'java'"},
      {{"--source", "x", "--language", "c", "--meshes", "2,4"},
       "--meshes: not with --source: it prints code and runs no study"},
      {{"--run", "s", "--meshes", "1,2", "--solution", "x", "--solution", "x^2"},
       "--solution: one with --run: the command's campaign sweeps its own options"},
      {{"--operator", "u"}, "--operator: only with --source EXPR"},
      {{"--data", "r.csv", "--language", "c"}, "--language: only with --source EXPR"},
  };
  for (const auto& [arguments, message] : refused)
    EXPECT_EQ(usage_error(arguments), message + tail);
  // With --run the solution is one of x alone: Re is no name of it.
  EXPECT_EQ(study_mode(parsed({"--run", "s", "--meshes", "1,2", "--solution", "smooth"})),
            kRunStudy);
  EXPECT_EQ(usage_error({"--solution", "1+Re*x", "--run", "s", "--meshes", "1,2"}),
            "--solution with --run: 'Re' is not a known name; the names are x, pi, e at"
            " character 3:\n  1+Re*x\n    ^");
  // An expression's own error keeps its caret under the place, on lines of its own.
  EXPECT_EQ(usage_error({"--solution", "x^^2"}),
            "--solution: a number, a name or ( is expected at character 3:\n  x^^2\n    ^");
}

TEST(StudyOptions, BadJobCounts) {
  for (const std::string_view jobs : {"-1", "two", "2.0", "", "99999999999"}) {
    EXPECT_NE(usage_error({"--jobs", jobs}).find("expected a whole number"), std::string::npos)
        << jobs;
  }
}

TEST(StudyOptions, MeshesAreEvenAtLeastTwoAndGrowFromCoarseToFine) {
  EXPECT_NE(usage_error({"--meshes", "20,41"}).find("N = 41 is odd"), std::string::npos);
  EXPECT_NE(usage_error({"--meshes", "0,20"}).find("N = 0 is below 2"), std::string::npos);
  // A user's command takes any N of at least 1: u(1/2) at node N/2 is talvenor's own.
  EXPECT_EQ(parsed({"--run", "s {N}", "--meshes", "1,3,9"}).meshes,
            (std::vector<std::int32_t>{1, 3, 9}));
  EXPECT_NE(usage_error({"--run", "s", "--meshes", "0,3"}).find("N = 0 is below 1"),
            std::string::npos);
  EXPECT_EQ(usage_error({"--run", "s {N}"}),
            "--run: --meshes N1,N2,... names the meshes to run it on (talvenor-study --help lists"
            " the options)");
  EXPECT_NE(usage_error({"--meshes", "40,20"}).find("N = 20 after N = 40"), std::string::npos);
  EXPECT_NE(usage_error({"--meshes", "20,20"}).find("N = 20 after N = 20"), std::string::npos);
  EXPECT_NE(usage_error({"--meshes", "20"}).find("at least two meshes"), std::string::npos);
  for (const std::string_view list : {"20,,40", "20,40,", "-20,40", "20;40", "", "20,3000000000"}) {
    EXPECT_NE(usage_error({"--meshes", list}).find("expected mesh sizes"), std::string::npos)
        << list;
  }
}

TEST(StudyOptions, HelpNamesEveryVerdictAndSolver) {
  for (const VerdictNames& verdict : kVerdicts) {
    const std::string quoted = std::string(1, '"').append(verdict.name).append("\"");
    EXPECT_NE(help_text().find(quoted), std::string_view::npos) << verdict.name;
  }
  for (const MethodNames& method : kMethods) {
    EXPECT_NE(help_text().find(method.option), std::string_view::npos) << method.option;
  }
}

TEST(DefaultMeshes, AreTheCaseMeshAndThreeDoublings) {
  EXPECT_EQ(default_meshes(20), (std::vector<std::int32_t>{20, 40, 80, 160}));
  try {
    default_meshes(21);
    ADD_FAILURE() << "odd N accepted";
  } catch (const Error& error) {
    EXPECT_EQ(error.kind(), Error::Kind::case_file);
    EXPECT_STREQ(error.what(),
                 "Talvenor.in: N = 21 is odd; u(1/2) is taken at node N/2, so a study needs even "
                 "meshes: change N or give them with --meshes");
  }
  EXPECT_THROW(default_meshes(300000000), Error);
}

}  // namespace
}  // namespace talvenor
