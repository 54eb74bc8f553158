#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "record/run_files.hpp"
#include "record/variaveis.hpp"
#include "textio/text_file.hpp"

namespace talvenor {

/// The channel that reports on the case file name.
inline constexpr int kCaseUnit = 7;

/// Memory a mesh takes per node: the eight arrays and the solver's two work arrays,
/// one 8-byte real each.
inline constexpr std::uint64_t kBytesPerNode = 80;

/// Shows the case file in the editor ("notepad Talvenor.in") and waits, reads its
/// twelve values into `data` (load_case), then allocates the arrays and builds the
/// mesh (prepare_mesh). Writes one warning line for an esquema, fonte or itmax that
/// computes less than a full run.
void read_case(CaseData& data);

/// Reads the twelve values from the file `path` (an empty one is created when it
/// is missing) and checks them (parse_case). A file that is not a regular file (a
/// FIFO, a device) or that holds more than 1 MiB is refused before it is read whole.
void load_case(CaseData& data, const std::string& path);

/// Reads the twelve values from `bytes`, the content of a case file named
/// `file_name` in reports, after a UTF-8 byte-order mark at its start if there is
/// one, and rejects what the run cannot use (lines ended by a CR alone, N below 2
/// or above 2147483646, freq below 1, a case name that would overwrite the case
/// file or a plot file, or that holds a control byte).
/// Every failure throws Error (case_file) naming the file, unit 7, the line and
/// the value: "Talvenor.in (unit 7) line 4 (N): expected an integer, found 'abc'".
void parse_case(CaseData& data, std::string_view bytes, std::string_view file_name);

/// Allocates the eight arrays for nodes 0 to N, zero-filled, after checking that
/// they and the solver's work arrays fit in the memory available
/// (check_mesh_memory); builds the mesh: h = 1 / N, x(0) = 0, x(i) = i * h with
/// the integer i made a double, x(N) = 1. Needs N >= 1 (parse_case ensures N >= 2).
/// A failed allocation throws Error (memory) like check_mesh_memory.
void prepare_mesh(CaseData& data);

/// prepare_mesh without its check of the memory available: for a mesh that was checked
/// beforehand together with those running beside it (check_meshes_memory), as a study's
/// pool does once for all its meshes instead of reading the system's figure per mesh.
void allocate_mesh(CaseData& data);

/// Throws Error (memory) when the N + 1 nodes of a mesh, kBytesPerNode each, need
/// more than `available_bytes`; checks nothing when that is unknown:
///   check_mesh_memory(100000000, 2100 MiB) -> "the mesh of N = 100000000 needs
///   7629 MiB (80 bytes per node), only 2100 MiB of memory are available"
void check_mesh_memory(std::int32_t N, std::optional<std::uint64_t> available_bytes);

/// check_mesh_memory for `meshes` that run at the same time, their nodes together:
///   check_meshes_memory({80000000, 40000000}, 8000 MiB) -> "the meshes of N =
///   80000000 and 40000000, run at the same time, need 9155 MiB (80 bytes per node),
///   only 8000 MiB of memory are available"
void check_meshes_memory(std::span<const std::int32_t> meshes,
                         std::optional<std::uint64_t> available_bytes);

/// A value of the case that makes the run compute less than a full run.
struct IncompleteRun {
  std::string value;  ///< what is wrong: "esquema = 3 is not 0, 1 or 2"
  bool no_iteration;  ///< no iteration runs; otherwise there is no exact solution
};

/// The values out of range, in the case file's order: an esquema with no entry in
/// kSchemes, a fonte with none in kExactSolutions, an itmax below 1. Empty for a case
/// that computes everything.
std::vector<IncompleteRun> incomplete_run(const CaseData& data);

/// One line for each part of the run that the case leaves out although the listing
/// still reports it (see incomplete_run).
std::vector<std::string> incomplete_run_warnings(const CaseData& data);

/// Writes the head of the listing: the title and the case data as read, with h.
void echo_case(const CaseData& data, TextFile& listing);

}  // namespace talvenor
