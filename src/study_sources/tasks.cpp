#include "study_sources/tasks.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <numeric>
#include <optional>
#include <thread>

#include "input/dados.hpp"
#include "system/error.hpp"
#include "system/platform.hpp"

namespace talvenor {
namespace {

/// The order in which the tasks start, and the case of each task.
struct Schedule {
  std::vector<std::size_t> order;    ///< task indices, in the order they start
  std::vector<std::size_t> case_of;  ///< the case of each task, counted from 0
  std::vector<std::size_t> meshes;   ///< how many tasks each case has
  std::vector<std::size_t> first;    ///< the first task of each case
};

/// Case by case, the largest N first: with fewer threads than meshes the longest run
/// of a case starts at once.
Schedule schedule(std::span<const MeshTask> tasks) {
  const std::size_t count = tasks.size();
  Schedule plan{std::vector<std::size_t>(count), std::vector<std::size_t>(count), {}, {}};
  for (std::size_t k = 0; k < count; ++k) {
    if (k == 0 || tasks[k].base != tasks[k - 1].base) {
      plan.meshes.push_back(0);
      plan.first.push_back(k);
    }
    plan.case_of[k] = plan.meshes.size() - 1;
    ++plan.meshes.back();
  }
  std::iota(plan.order.begin(), plan.order.end(), std::size_t{0});
  std::stable_sort(plan.order.begin(), plan.order.end(), [&](std::size_t a, std::size_t b) {
    return plan.case_of[a] != plan.case_of[b] ? plan.case_of[a] < plan.case_of[b]
                                              : tasks[a].N > tasks[b].N;
  });
  return plan;
}

/// Throws when the meshes that may run together do not fit in memory: at worst the
/// finest meshes run at once, one per thread.
void check_memory(std::span<const MeshTask> tasks, std::size_t threads) {
  std::vector<std::int32_t> at_once;
  for (const MeshTask& task : tasks) at_once.push_back(task.N);
  const std::size_t together = std::min(threads, tasks.size());
  std::partial_sort(at_once.begin(), at_once.begin() + static_cast<std::ptrdiff_t>(together),
                    at_once.end(), std::greater<>());
  at_once.resize(together);
  check_meshes_memory(at_once, available_memory());
}

/// The tasks run by a pool of threads, each taking the next task of the schedule;
/// what each gave or threw is kept in the order of the tasks.
class Pool {
 public:
  Pool(std::span<const MeshTask> tasks, Method method, Schedule plan, const CaseDone& case_done)
      : tasks_(tasks), method_(method), plan_(std::move(plan)), case_done_(case_done),
        runs_(tasks.size()), failures_(tasks.size()), left_(plan_.meshes) {}

  /// Runs every task on `threads` threads, calling `progress` as run_tasks says.
  std::vector<MeshRun> run(std::size_t threads, const Progress& progress) {
    std::vector<std::thread> pool;
    threads_ = std::min(threads, tasks_.size());
    for (std::size_t t = 0; t < threads_; ++t) {
      pool.emplace_back([this, &progress] { work(static_cast<bool>(progress)); });
    }
    if (progress) report(progress);
    for (std::thread& thread : pool) thread.join();
    if (const std::optional<Error> stop = interruption()) throw *stop;
    for (const std::exception_ptr& failure : failures_) {
      if (failure) std::rethrow_exception(failure);
    }
    return std::move(runs_);
  }

 private:
  void work(bool notify) {
    // An interruption lets the meshes running finish and starts no other.
    for (std::size_t taken = next_++; taken < tasks_.size() && !interruption(); taken = next_++) {
      const std::size_t index = plan_.order[taken];
      try {
        runs_[index] = run_mesh(*tasks_[index].base, tasks_[index].N, method_);
      } catch (...) {
        failures_[index] = std::current_exception();
      }
      bool case_over = false;
      {
        const std::lock_guard lock(mutex_);
        ++done_;
        case_over = --left_[plan_.case_of[index]] == 0;
        if (case_over) ++cases_done_;
        if (notify) finished_.notify_one();
      }
      if (case_over && case_done_) finish_case(plan_.case_of[index], index);
    }
    const std::lock_guard lock(mutex_);
    ++threads_ended_;
    finished_.notify_one();
  }

  /// case_done for case `c`, its meshes all done (the lock taken since each was
  /// written): nothing when one of them threw; what it throws is the failure of
  /// task `index`.
  void finish_case(std::size_t c, std::size_t index) {
    const std::size_t first = plan_.first[c];
    const std::size_t count = plan_.meshes[c];
    for (std::size_t k = first; k < first + count; ++k) {
      if (failures_[k]) return;
    }
    try {
      case_done_(c, std::span<const MeshRun>(runs_).subspan(first, count));
    } catch (...) {
      failures_[index] = std::current_exception();
    }
  }

  /// Calls `progress` at the start, after completions and at least every quarter
  /// second, until every thread has ended (every task done, or an interruption).
  void report(const Progress& progress) {
    std::unique_lock lock(mutex_);
    for (;;) {
      const std::size_t now_done = done_;
      const std::size_t now_cases = cases_done_;
      const bool over = threads_ended_ == threads_;
      lock.unlock();  // the workers go on while the line is drawn
      progress(now_done, now_cases);
      lock.lock();
      if (over) break;
      finished_.wait_for(lock, std::chrono::milliseconds(250));
    }
  }

  std::span<const MeshTask> tasks_;
  Method method_;
  Schedule plan_;
  const CaseDone& case_done_;
  std::vector<MeshRun> runs_;
  std::vector<std::exception_ptr> failures_;
  std::vector<std::size_t> left_;  ///< meshes each case has left
  std::atomic<std::size_t> next_{0};
  std::mutex mutex_;
  std::condition_variable finished_;
  std::size_t done_ = 0;
  std::size_t cases_done_ = 0;
  std::size_t threads_ = 0;        ///< threads started
  std::size_t threads_ended_ = 0;  ///< threads that took their last task
};

}  // namespace

std::vector<MeshRun> run_tasks(std::span<const MeshTask> tasks, Method method, int jobs,
                               const Progress& progress, const CaseDone& case_done) {
  const auto threads = static_cast<std::size_t>(std::max(1, jobs));
  check_memory(tasks, threads);
  Pool pool(tasks, method, schedule(tasks), case_done);
  return pool.run(threads, progress);
}

std::vector<MeshRun> run_meshes(const CaseData& base, std::span<const std::int32_t> meshes,
                                Method method, int jobs, const Progress& progress) {
  std::vector<MeshTask> tasks;
  for (const std::int32_t N : meshes) tasks.push_back({&base, N});
  return run_tasks(tasks, method, jobs, progress);
}

}  // namespace talvenor
