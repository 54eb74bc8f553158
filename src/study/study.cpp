#include "study/study.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <numeric>
#include <optional>
#include <thread>
#include <tuple>
#include <utility>

#include "input/dados.hpp"
#include "record/exact_solutions.hpp"
#include "record/schemes.hpp"
#include "solver/calculos.hpp"
#include "solver/convergence.hpp"
#include "solver/newton.hpp"
#include "study/orders.hpp"
#include "system/error.hpp"
#include "system/fp_faults.hpp"
#include "system/platform.hpp"

namespace talvenor {

void check_study_case(const CaseData& base) {
  const std::vector<IncompleteRun> parts = incomplete_run(base);
  if (parts.empty()) return;
  const IncompleteRun& first = parts.front();
  throw Error(
      Error::Kind::case_file,
      std::string(kCaseFile) + ": " + first.value +
          (first.no_iteration ? ", so nothing iterates" : ", so there is no exact solution") +
          "; a study needs esquema 0 to " + std::to_string(kSchemes.size() - 1) + ", fonte " +
          exact_solution_values_text() + " and itmax of at least 1");
}

MeshRun run_mesh(const CaseData& base, std::int32_t N, Method method) {
  CaseData data = base;
  data.N = N;
  prepare_mesh(data);
  MeshRun run;
  run.N = N;
  run.h = data.h;
  // The flags are the calling thread's own: a fault of another mesh never shows here.
  clear_fp_faults();
  LastIterates iterates;
  try {
    compute_exact(data);
    run.exact = exact_variables(data);
    // Iteration 0 is the starting field, the exact solution, as the iterations see it.
    data.u = data.ua;
    compute_variables(data);
    check_fp_faults("the variables of the starting field");
    iterates.push(numerical_variables(data));
    const IterationObserver observe = [&](const CaseData& iterated) {
      iterates.push(numerical_variables(iterated));
    };
    if (method == Method::newton) {
      solve_newton(data, observe);
    } else {
      run_iterations(data, observe);
    }
    run.numerical = iterates.last();
    for (std::size_t v = 0; v < kVariableCount; ++v) {
      run.iteration[v] = iteration_error(method, iterates, v, N);
    }
  } catch (const Error& error) {
    if (error.kind() != Error::Kind::arithmetic) throw;
    run.fault = error.what();
  }
  run.iterations = std::max(iterates.count - 1, 0);
  return run;
}

std::vector<MeshRun> run_tasks(std::span<const MeshTask> tasks, Method method, int jobs,
                               const Progress& progress) {
  const std::size_t count = tasks.size();
  std::vector<MeshRun> runs(count);
  std::vector<std::exception_ptr> failures(count);
  // The case of each task, counted from 0, and how many meshes each case has left.
  std::vector<std::size_t> case_of(count);
  std::vector<std::size_t> left;
  for (std::size_t k = 0; k < count; ++k) {
    if (k == 0 || tasks[k].base != tasks[k - 1].base) left.push_back(0);
    case_of[k] = left.size() - 1;
    ++left.back();
  }
  // Case by case, the largest N first: with fewer threads than meshes the longest run
  // of a case starts at once.
  std::vector<std::size_t> order(count);
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return case_of[a] != case_of[b] ? case_of[a] < case_of[b] : tasks[a].N > tasks[b].N;
  });

  std::atomic<std::size_t> next{0};
  std::mutex mutex;
  std::condition_variable finished;
  std::size_t done = 0;
  std::size_t cases_done = 0;
  std::size_t threads_ended = 0;
  const auto work = [&] {
    // An interruption lets the meshes running finish and starts no other.
    for (std::size_t taken = next++; taken < count && !interruption(); taken = next++) {
      const std::size_t index = order[taken];
      try {
        runs[index] = run_mesh(*tasks[index].base, tasks[index].N, method);
      } catch (...) {
        failures[index] = std::current_exception();
      }
      const std::lock_guard lock(mutex);
      ++done;
      if (--left[case_of[index]] == 0) ++cases_done;
      if (progress) finished.notify_one();
    }
    const std::lock_guard lock(mutex);
    ++threads_ended;
    finished.notify_one();
  };

  const auto threads = static_cast<std::size_t>(std::max(1, jobs));
  // At worst the finest meshes run together, one per thread.
  std::vector<std::int32_t> at_once;
  for (const MeshTask& task : tasks) at_once.push_back(task.N);
  const std::size_t together = std::min(threads, count);
  std::partial_sort(at_once.begin(), at_once.begin() + static_cast<std::ptrdiff_t>(together),
                    at_once.end(), std::greater<>());
  at_once.resize(together);
  check_meshes_memory(at_once, available_memory());

  std::vector<std::thread> pool;
  for (std::size_t t = 0; t < together; ++t) pool.emplace_back(work);
  if (progress) {
    std::unique_lock lock(mutex);
    for (;;) {
      const std::size_t now_done = done;
      const std::size_t now_cases = cases_done;
      const bool over = threads_ended == pool.size();  // all done, or stopped by an interruption
      lock.unlock();  // the workers go on while the line is drawn
      progress(now_done, now_cases);
      lock.lock();
      if (over) break;
      finished.wait_for(lock, std::chrono::milliseconds(250));
    }
  }
  for (std::thread& thread : pool) thread.join();
  if (const std::optional<Error> stop = interruption()) throw *stop;
  for (const std::exception_ptr& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }
  return runs;
}

std::vector<MeshRun> run_meshes(const CaseData& base, std::span<const std::int32_t> meshes,
                                Method method, int jobs, const Progress& progress) {
  std::vector<MeshTask> tasks;
  for (const std::int32_t N : meshes) tasks.push_back({&base, N});
  return run_tasks(tasks, method, jobs, progress);
}

double formal_order(const CaseData& data) {
  return find_scheme(data.esquema)->formal_order(data.beta);
}

namespace {

/// A row's error can give an order: it exists, is above round-off, and belongs to a
/// solution of the discrete equations.
bool usable(const MeshRow& row) {
  return row.error && !row.round_off && !row.iteration_not_converging && !row.iterative_share;
}

void derive_mesh_values(MeshRow& row) {
  if (!row.numerical) return;
  row.error = row.exact - *row.numerical;
  row.iteration_not_converging = row.iteration.trend == IterationTrend::not_contracting;
  row.round_off = at_round_off(*row.error, row.exact, row.N);
  if (row.round_off || row.iteration_not_converging) return;
  const double size = std::fabs(*row.error);
  if (row.iteration.estimate >= kIterativeShare * size) {
    row.iterative_share = row.iteration.estimate / size;
  }
}

/// The least-squares order over `rows` when at least `needed` of them are usable,
/// with the number of rows it used.
std::pair<std::optional<double>, std::size_t> fitted_order(std::span<const MeshRow> rows,
                                                           std::size_t needed) {
  std::vector<double> h;
  std::vector<double> errors;
  for (const MeshRow& row : rows) {
    if (!usable(row)) continue;
    h.push_back(row.h);
    errors.push_back(*row.error);
  }
  if (h.size() < needed) return {std::nullopt, 0};
  return {least_squares_order(h, errors), h.size()};
}

}  // namespace

VariableStudy analyse_variable(std::string_view name, std::vector<MeshRow> rows,
                               double two_mesh_order) {
  for (MeshRow& row : rows) derive_mesh_values(row);
  for (std::size_t k = 1; k < rows.size(); ++k) {
    MeshRow& fine = rows[k];
    const MeshRow& medium = rows[k - 1];
    if (!usable(fine) || !usable(medium)) continue;
    fine.p_effective = effective_order(*medium.error, *fine.error, medium.h, fine.h);
    const double ratio = medium.h / fine.h;
    if (k == 1) {
      fine.gci = gci(*medium.numerical, *fine.numerical, ratio, two_mesh_order, kSafetyTwoMeshes);
      continue;
    }
    const MeshRow& coarse = rows[k - 2];
    if (!usable(coarse)) continue;
    if (oscillates(*coarse.numerical, *medium.numerical, *fine.numerical)) {
      fine.oscillatory = true;
      continue;
    }
    fine.p_apparent = apparent_order(coarse.h, medium.h, fine.h, *coarse.numerical,
                                     *medium.numerical, *fine.numerical);
    if (!fine.p_apparent) continue;
    if (*fine.p_apparent <= 0.0) {
      fine.not_converging = true;
      continue;
    }
    fine.richardson = richardson(*medium.numerical, *fine.numerical, ratio, *fine.p_apparent);
    fine.gci = gci(*medium.numerical, *fine.numerical, ratio, *fine.p_apparent, kSafetyThreeMeshes);
  }

  VariableStudy study{name, std::move(rows), {}, 0, {}};
  std::tie(study.order_all, study.order_all_meshes) = fitted_order(study.rows, 2);
  if (study.rows.size() >= 3) {
    const auto finest = std::span<const MeshRow>(study.rows).last(3);
    if (std::all_of(finest.begin(), finest.end(), usable)) {
      study.order_finest = fitted_order(finest, 3).first;
    }
  }
  return study;
}

std::vector<VariableStudy> analyse(std::span<const MeshRun> runs, double two_mesh_order) {
  std::vector<VariableStudy> studies;
  for (std::size_t v = 0; v < kVariableCount; ++v) {
    std::vector<MeshRow> rows;
    for (const MeshRun& run : runs) {
      MeshRow row;
      row.N = run.N;
      row.h = run.h;
      row.exact = run.exact[v];
      row.iterations = run.iterations;
      if (run.fault) {
        row.fault = *run.fault;
      } else {
        row.numerical = run.numerical[v];
        row.iteration = run.iteration[v];
      }
      rows.push_back(std::move(row));
    }
    studies.push_back(analyse_variable(kVariableNames[v].console, std::move(rows), two_mesh_order));
  }
  return studies;
}

}  // namespace talvenor
