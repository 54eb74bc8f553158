#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/variaveis.hpp"
#include "textio/text_file.hpp"

namespace talvenor {

/// The case file of every run, in the working folder.
inline constexpr std::string_view kCaseFile = "Talvenor.in";

/// Shows the case file in the editor ("notepad Talvenor.in") and waits, reads its
/// twelve values into `data` (load_case), then allocates the arrays and builds the
/// mesh (prepare_mesh). Writes one warning line for an esquema, fonte or itmax that
/// computes less than a full run.
void read_case(CaseData& data);

/// Reads the twelve values from the file `path` (an empty one is created when it
/// is missing) and checks them (parse_case).
void load_case(CaseData& data, const std::string& path);

/// Reads the twelve values from `bytes`, the content of a case file named
/// `file_name` in reports, and rejects what the run cannot use (N below 2, freq
/// below 1, a case name that would overwrite the case file or a plot file).
/// Every failure throws Error (case_file) naming the file, unit 7, the line and
/// the value: "Talvenor.in (unit 7) line 4 (N): expected an integer, found 'abc'".
void parse_case(CaseData& data, std::string_view bytes, std::string_view file_name);

/// Memory a mesh needs per node: the eight arrays and the solver's two work arrays.
inline constexpr std::uint64_t kBytesPerNode = 80;

/// Throws Error (memory) when a mesh of N elements (N + 1 nodes of kBytesPerNode)
/// does not fit in `available` bytes; no answer from the system passes.
///   check_mesh_memory(100000000, 2 GiB) -> "the mesh of N = 100000000 needs 7630 MiB ..."
void check_mesh_memory(std::int32_t N, std::optional<std::uint64_t> available);

/// Allocates the eight arrays for nodes 0 to N, zero-filled, after checking that
/// they and the solver's work arrays fit in the memory available; builds the mesh:
/// h = 1 / N, x(0) = 0, x(i) = i * h, x(N) = 1.
void prepare_mesh(CaseData& data);

/// Writes the head of the listing: the title and the case data as read, with h.
void echo_case(const CaseData& data, TextFile& listing);

}  // namespace talvenor
