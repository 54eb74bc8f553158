// Commands run in folders on Windows: the interpreter of COMSPEC in a job object
// that ends every process of the command when it is closed.

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "system/platform.hpp"
#include "system/subprocess.hpp"

namespace talvenor {
namespace {

/// The longest wait between two looks at the study's interruptions.
constexpr DWORD kSliceMilliseconds = 20;

/// Handles are inherited by every process created while they are open and
/// inheritable: the output files of one command are made, handed over and closed
/// under this lock, so no other command holds them.
std::mutex creation;

/// A handle closed when it goes out of scope.
class Handle {
 public:
  explicit Handle(HANDLE handle = nullptr) : handle_(handle) {}
  ~Handle() {
    if (valid()) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

HANDLE inherited_file(const std::filesystem::path& path, bool write) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return CreateFileW(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                     write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

/// A job object that ends its processes when its last handle closes.
HANDLE ending_job() {
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  if (job == nullptr) return nullptr;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
  return job;
}

/// Creates the interpreter suspended, in `job`, and lets it run; false with `error`.
bool start(const CommandLaunch& launch, HANDLE job, PROCESS_INFORMATION& process, DWORD& error) {
  const std::optional<std::string> interpreter = os::interpreter_name();
  if (!interpreter) {
    error = ERROR_BAD_ENVIRONMENT;
    return false;
  }
  std::string line = *interpreter + " /c " + launch.command;
  const std::lock_guard lock(creation);
  const Handle input(inherited_file(L"NUL", false));
  const Handle output(inherited_file(launch.folder / launch.output_file, true));
  const Handle errors(inherited_file(launch.folder / launch.error_file, true));
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input.get();
  startup.hStdOutput = output.get();
  startup.hStdError = errors.get();
  // CreateProcess takes the working folder as a full path.
  std::error_code error_code;
  const std::string folder = std::filesystem::absolute(launch.folder, error_code).string();
  if (!input.valid() || !output.valid() || !errors.valid() ||
      !CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                      folder.c_str(), &startup, &process)) {
    error = GetLastError();
    return false;
  }
  AssignProcessToJobObject(job, process.hProcess);
  ResumeThread(process.hThread);
  CloseHandle(process.hThread);
  return true;
}

}  // namespace

CommandEnd run_in_folder(const CommandLaunch& launch) {
  const Handle job(ending_job());
  PROCESS_INFORMATION process{};
  DWORD error = 0;
  if (!job.valid()) return {CommandEnd::Kind::not_started, static_cast<int>(GetLastError())};
  if (!start(launch, job.get(), process, error)) {
    return {CommandEnd::Kind::not_started, static_cast<int>(error)};
  }
  const Handle child(process.hProcess);
  const auto begun = std::chrono::steady_clock::now();
  for (;;) {
    if (WaitForSingleObject(child.get(), kSliceMilliseconds) == WAIT_OBJECT_0) {
      DWORD code = 0;
      GetExitCodeProcess(child.get(), &code);
      TerminateJobObject(job.get(), 1);  // what the command left running
      return {CommandEnd::Kind::exited, static_cast<int>(code)};
    }
    const bool late = launch.timeout && std::chrono::duration<double>(
                                            std::chrono::steady_clock::now() - begun)
                                                .count() > *launch.timeout;
    if (late || interruption()) {
      TerminateJobObject(job.get(), 1);
      WaitForSingleObject(child.get(), INFINITE);
      return {late ? CommandEnd::Kind::timed_out : CommandEnd::Kind::interrupted, 0};
    }
  }
}

}  // namespace talvenor
