#include "input/dados.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <new>
#include <span>
#include <stdexcept>
#include <vector>

#include "input/case_text.hpp"
#include "input/run_names.hpp"
#include "input/value_reader.hpp"
#include "record/exact_solutions.hpp"
#include "record/schemes.hpp"
#include "system/commands.hpp"
#include "system/error.hpp"
#include "system/platform.hpp"
#include "system/program.hpp"
#include "textio/layout.hpp"
#include "textio/text_helpers.hpp"

namespace talvenor {
namespace {

/// How reports name the case file: "Talvenor.in (unit 7)".
std::string case_source(std::string_view file_name) {
  return std::string(file_name) + " (unit " + std::to_string(kCaseUnit) + ")";
}

/// Rejects a case name whose listing would replace the case file, the data file, a
/// plot template or a picture, or that holds a control byte.
void check_case_name(const ValueReader& values, std::string_view caso) {
  if (const auto fault = output_name_fault(caso, "listing")) {
    values.reject(
        "caso", "the case name '" + printable(caso) + "' " + *fault + "; choose another case name");
  }
}

constexpr std::uint64_t kMiB = 1024 * 1024;

/// The bytes of the N + 1 nodes of a mesh; at most 2^31 * 80, far inside 64 bits.
std::uint64_t mesh_bytes(std::int32_t N) {
  return (static_cast<std::uint64_t>(N) + 1) * kBytesPerNode;
}

/// The bytes of the nodes of `meshes` together; a sum of at most 2^31 terms of at
/// most 2^31 * 80 each, inside 64 bits.
std::uint64_t meshes_bytes(std::span<const std::int32_t> meshes) {
  std::uint64_t bytes = 0;
  for (const std::int32_t N : meshes) bytes += mesh_bytes(N);
  return bytes;
}

/// The start of every memory report: "the mesh of N = 20 needs 0 MiB (80 bytes per
/// node)"; for several meshes "the meshes of N = 40 and 20, run at the same time, need ...".
std::string mesh_needs(std::span<const std::int32_t> meshes) {
  std::vector<std::string> Ns;
  for (const std::int32_t N : meshes) Ns.push_back(std::to_string(N));
  std::string text = meshes.size() == 1 ? "the mesh of N = " : "the meshes of N = ";
  text += join(Ns, ", ", " and ");
  text += meshes.size() == 1 ? " needs " : ", run at the same time, need ";
  return text + std::to_string(meshes_bytes(meshes) / kMiB) + " MiB (" +
         std::to_string(kBytesPerNode) + " bytes per node)";
}

/// Closes a C stream when it goes out of scope.
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

[[noreturn]] void fail_file(std::string_view what, const std::string& path,
                            std::string_view reason) {
  throw Error(Error::Kind::case_file, "cannot " + std::string(what) + " the case file " +
                                          case_source(path) + ": " + std::string(reason));
}

[[noreturn]] void fail_file(std::string_view what, const std::string& path, int error) {
  fail_file(what, path, std::strerror(error));
}

/// The most bytes a case file may hold: twelve values with their comments need far
/// fewer, and the reader holds no more than this of whatever the file is.
constexpr std::size_t kMostCaseBytes = std::size_t{1} << 20;

/// The most elements of a mesh: the loops over its nodes 0 to N count to N + 1.
constexpr std::int32_t kMostElements = std::numeric_limits<std::int32_t>::max() - 1;

/// True when the first line of `bytes` ends with a CR alone, as old Mac text files do.
bool lines_end_with_cr_alone(std::string_view bytes) {
  const std::size_t end = bytes.find_first_of("\r\n");
  return end != std::string_view::npos && end + 1 < bytes.size() && bytes[end] == '\r' &&
         bytes[end + 1] != '\n';
}

/// `path` opened for reading; a missing file is first created empty.
File open_case_file(const std::string& path) {
  std::error_code error;
  // A FIFO would wait for a writer, a device would never end.
  if (std::filesystem::is_other(std::filesystem::status(path, error))) {
    fail_file("read", path, "not a regular file");
  }
  if (File file{std::fopen(path.c_str(), "rb")}) return file;
  // Mode "a" creates the file when it is missing and never cuts one that appeared meanwhile.
  File created{std::fopen(path.c_str(), "ab")};
  if (!created) fail_file("open or create", path, errno);
  created.reset();
  File file{std::fopen(path.c_str(), "rb")};
  if (!file) fail_file("open", path, errno);
  return file;
}

}  // namespace

void read_case(CaseData& data) {
  show_in_editor(kCaseFile);
  load_case(data, std::string(kCaseFile));
  prepare_mesh(data);
  for (const std::string& warning : incomplete_run_warnings(data)) warn(warning);
}

void load_case(CaseData& data, const std::string& path) {
  const File file = open_case_file(path);
  std::string bytes;
  std::array<char, 65536> block;
  std::size_t count = 0;
  while ((count = std::fread(block.data(), 1, block.size(), file.get())) > 0) {
    bytes.append(block.data(), count);
    if (bytes.size() > kMostCaseBytes) {
      fail_file("read", path,
                "it holds more than " + std::to_string(kMostCaseBytes) +
                    " bytes, far more than twelve values need");
    }
  }
  if (std::ferror(file.get())) fail_file("read", path, errno);
  parse_case(data, bytes, path);
}

void parse_case(CaseData& data, std::string_view bytes, std::string_view file_name) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";  // written by Windows Notepad
  if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
  if (lines_end_with_cr_alone(bytes)) {
    throw Error(Error::Kind::case_file,
                case_source(file_name) +
                    " line 1: the line ends with a CR alone; save the file with LF or CR LF "
                    "line ends");
  }
  ValueReader values(bytes, case_source(file_name));
  values.read("caso", data.caso);
  check_case_name(values, data.caso.trimmed());
  values.read("esquema", data.esquema);
  values.read("fonte", data.fonte);
  values.read("N", data.N);
  if (data.N < 2) {
    values.reject("N", "expected at least 2 elements, found " + std::to_string(data.N));
  }
  if (data.N > kMostElements) {
    values.reject("N", "expected at most " + std::to_string(kMostElements) + " elements, found " +
                           std::to_string(data.N));
  }
  values.read("Re", data.Re);
  values.read("beta", data.beta);
  values.read("itmax", data.itmax);
  values.read("graficos", data.graficos);
  values.read("lista_coef", data.lista_coef);
  values.read("lista_sol", data.lista_sol);
  values.read("freq", data.freq);
  if (data.freq < 1) {
    values.reject("freq", "expected a step of at least 1 node, found " + std::to_string(data.freq));
  }
  // The title is text for the listing; caso stays the bytes given, as it names files.
  if (const auto titulo = values.read_text("titulo")) {
    data.titulo.assign(case_text_in_windows_1252(*titulo));
  }
}

void check_mesh_memory(std::int32_t N, std::optional<std::uint64_t> available_bytes) {
  check_meshes_memory(std::span(&N, 1), available_bytes);
}

void check_meshes_memory(std::span<const std::int32_t> meshes,
                         std::optional<std::uint64_t> available_bytes) {
  if (!available_bytes || meshes_bytes(meshes) <= *available_bytes) return;
  throw Error(Error::Kind::memory, mesh_needs(meshes) + ", only " +
                                       std::to_string(*available_bytes / kMiB) +
                                       " MiB of memory are available");
}

void prepare_mesh(CaseData& data) {
  check_mesh_memory(data.N, available_memory());
  allocate_mesh(data);
}

void allocate_mesh(CaseData& data) {
  const auto nodes = static_cast<std::size_t>(std::int64_t{data.N} + 1);
  const auto refused = [&] {
    return Error(Error::Kind::memory,
                 mesh_needs(std::span(&data.N, 1)) + ", more than the system could allocate");
  };
  try {
    for (std::vector<double>* array :
         {&data.ua, &data.u, &data.x, &data.ap, &data.ae, &data.bp, &data.aw, &data.S}) {
      assign_zeros(*array, nodes);
    }
  } catch (const std::bad_alloc&) {
    throw refused();
  } catch (const std::length_error&) {  // more elements than a vector can hold on this system
    throw refused();
  }

  data.h = 1.0 / static_cast<double>(data.N);
  data.x[0] = 0.0;
  for (std::int32_t i = 1; i < data.N; ++i) data.x[i] = static_cast<double>(i) * data.h;
  data.x[data.N] = 1.0;
}

std::vector<IncompleteRun> incomplete_run(const CaseData& data) {
  std::vector<IncompleteRun> parts;
  if (!find_scheme(data.esquema)) {
    parts.push_back(
        {"esquema = " + std::to_string(data.esquema) + " is not " + scheme_values_text(), true});
  }
  if (!exact_solution(data).exists()) {
    parts.push_back(
        {"fonte = " + std::to_string(data.fonte) + " is not " + exact_solution_values_text(),
         false});
  }
  if (data.itmax < 1) {
    parts.push_back({"itmax = " + std::to_string(data.itmax) + " is below 1", true});
  }
  return parts;
}

std::vector<std::string> incomplete_run_warnings(const CaseData& data) {
  std::vector<std::string> warnings;
  for (const IncompleteRun& part : incomplete_run(data)) {
    warnings.push_back(part.value + (part.no_iteration
                                         ? ": no iteration runs, so the listing reports the exact"
                                           " solution as the numerical one and a numerical mean"
                                           " and slope of 0"
                                         : ": no exact solution and no source term are computed"
                                           " (both stay 0), so the errors of the listing are"
                                           " measured against 0"));
  }
  return warnings;
}

void echo_case(const CaseData& data, TextFile& listing) {
  static const Layout kEcho(
      u8"(/,7X,'título = ',A^,/,/,1X,'*** DADOS ***',/,/,23X,'caso = ',A50,/,/,"
      u8"I8,1X,'.................. = esquema',/,"
      u8"I8,1X,'.................. = fonte',/,"
      u8"I8,1X,'.................. = número de elementos da malha (N)',/,"
      u8"I8,1X,'.................. = itmax',/,"
      u8"I8,1X,'.................. = freqüência de impressão dos campos',/,"
      u8"1P,E27.14,' = número de Reynolds (Re)',/,"
      u8"1P,E27.14,' = beta',/,"
      u8"1P,E27.14,' = comprimento de cada elemento da malha (h)')");
  const std::string_view title = data.titulo.trimmed();
  write_formatted(listing, kEcho,
                  {title, data.caso.full(), data.esquema, data.fonte, data.N, data.itmax, data.freq,
                   data.Re, data.beta, data.h},
                  static_cast<int>(title.size()));
}

}  // namespace talvenor
