// The operating-system services on Windows: the interpreter named by COMSPEC
// runs every command line; the system time and a critical section serve the timer.

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <io.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cwctype>
#include <filesystem>
#include <string>
#include <vector>

#include "system/platform.hpp"

namespace talvenor {
namespace {

/// The lock of the timer origin, created when the program starts and kept to its end.
class CriticalSection {
 public:
  CriticalSection() { InitializeCriticalSection(&section_); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  void enter() { EnterCriticalSection(&section_); }
  void leave() { LeaveCriticalSection(&section_); }

 private:
  CRITICAL_SECTION section_;
};

CriticalSection timer_origin_section;

/// The console event that asked the run to stop, 0 for none; written by the handler,
/// which Windows runs on a thread of its own.
std::atomic<int> noted_event{0};

BOOL WINAPI note_event(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  noted_event.store(event == CTRL_C_EVENT ? 1 : 2, std::memory_order_relaxed);
  return TRUE;
}

}  // namespace

namespace os {

std::optional<std::string> interpreter_name() {
  // COMSPEC is read into 261 characters: a value of up to 260 and its NUL.
  constexpr DWORD kNameBuffer = 261;
  char name[kNameBuffer];
  const DWORD name_length = GetEnvironmentVariableA("COMSPEC", name, kNameBuffer);
  if (name_length >= kNameBuffer) return std::nullopt;  // the size the value would need
  return name_length == 0 ? std::string("cmd.exe") : std::string(name, name_length);
}

int run_interpreter(std::string_view command) {
  const std::optional<std::string> name = interpreter_name();
  if (!name) return -1;
  const std::string_view interpreter = *name;

  PROCESS_INFORMATION process{};
  {
    // Room for the longest interpreter name (260), " /c " (4) and the NUL (1).
    std::vector<char> line(command.size() + 265);
    constexpr std::string_view kSwitch = " /c ";
    auto end = std::copy(interpreter.begin(), interpreter.end(), line.begin());
    end = std::copy(kSwitch.begin(), kSwitch.end(), end);
    end = std::copy(command.begin(), command.end(), end);
    *end = '\0';

    STARTUPINFOA startup{};
    startup.cb = sizeof(STARTUPINFOA);
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
      return -1;
    }
  }

  DWORD exit_code = 0;
  const bool ended = WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0 &&
                     GetExitCodeProcess(process.hProcess, &exit_code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return ended ? static_cast<int>(exit_code) : -1;
}

// Inside double quotes cmd.exe still expands %NAME%, and no escape works there:
// each % is set between the quotes instead ("50%" -> "50"%""), so that the text
// between two of them begins and ends with a quote, which is no variable's name,
// and stays as it is. The program's own parsing of its arguments reads n
// backslashes before a quote as n/2, so a run of them ahead of a closing quote is
// doubled. A name cannot hold " on Windows. Delayed expansion (!NAME!) is off
// unless the system is set up otherwise, so ! is left as it is.
std::string quote_for_interpreter(std::string_view name) {
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  const auto close_quotes = [&] {
    quoted.append(backslashes, '\\');
    quoted += '"';
    backslashes = 0;
  };
  for (char c : name) {
    if (c == '%') {
      close_quotes();
      quoted += "%\"";
      continue;
    }
    quoted += c;
    backslashes = c == '\\' ? backslashes + 1 : 0;
  }
  close_quotes();
  return quoted;
}

// Windows programs take their options after / or -, and the command lines of the
// run stay as they are.
std::string option_proof(std::string_view name) {
  return std::string(name);
}

// The file systems of Windows keep the case of a name but find a file without it.
bool same_place(const std::filesystem::path& a, const std::filesystem::path& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Large pages on Windows need a privilege that a user's process does not hold, and
// its page faults are left as they are.
void prepare_pages(void*, std::size_t) {}

std::uint64_t system_time_100ns() {
  SYSTEMTIME now;
  GetSystemTime(&now);
  FILETIME count;
  SystemTimeToFileTime(&now, &count);
  return (static_cast<std::uint64_t>(count.dwHighDateTime) << 32) | count.dwLowDateTime;
}

const char* noted_interruption() {
  switch (noted_event.load(std::memory_order_relaxed)) {
    case 1:
      return "Ctrl+C";
    case 2:
      return "Ctrl+Break";
    default:
      return nullptr;
  }
}

TimerOriginLock::TimerOriginLock() {
  timer_origin_section.enter();
}
TimerOriginLock::~TimerOriginLock() {
  timer_origin_section.leave();
}

}  // namespace os

std::string editor_argument(std::string_view file) {
  // Blanks need no quotes: notepad takes "caso 1.itn" from "notepad caso 1.itn".
  constexpr std::string_view kActedOn = "&|<>^()%\"";
  if (file.find_first_of(kActedOn) == std::string_view::npos) return std::string(file);
  return quote_argument(file);
}

void defer_interruptions() {
  SetConsoleCtrlHandler(note_event, TRUE);
}

// The name holds a hash of the folder's full path in capitals, as Windows finds a
// folder without regard to case; "Local\\" keeps it to the user's session.
FolderGuard::FolderGuard() : handle_(-1) {
  std::error_code error;
  std::wstring folder = std::filesystem::current_path(error).wstring();
  if (error) return;
  // The C runtime's towupper: CharUpperBuffW would bring in USER32.dll.
  for (wchar_t& unit : folder) unit = static_cast<wchar_t>(std::towupper(unit));
  std::uint64_t hash = 14695981039346656037ULL;  // FNV-1a over the UTF-16 units
  for (const wchar_t unit : folder) {
    hash = (hash ^ static_cast<std::uint64_t>(unit)) * 1099511628211ULL;
  }
  std::wstring name = L"Local\\talvenor-folder-";
  for (int shift = 60; shift >= 0; shift -= 4) name += L"0123456789abcdef"[(hash >> shift) & 0xF];
  HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
  if (mutex == nullptr) return;  // no guard rather than no run
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    throw busy_folder_error();
  }
  handle_ = reinterpret_cast<std::intptr_t>(mutex);
}

FolderGuard::~FolderGuard() {
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

std::optional<std::uint64_t> available_memory() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof(MEMORYSTATUSEX);
  if (!GlobalMemoryStatusEx(&status)) return std::nullopt;
  return status.ullAvailPhys;
}

bool stderr_is_terminal() {
  return _isatty(_fileno(stderr)) != 0;
}

}  // namespace talvenor
