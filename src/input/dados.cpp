#include "input/dados.hpp"

#include <charconv>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>

#include "input/case_scanner.hpp"
#include "system/console.hpp"
#include "system/error.hpp"
#include "system/platform.hpp"
#include "textio/layout.hpp"

namespace talvenor {
namespace {

using Value = CaseScanner::Value;

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

/// Skips the decimal digits at `at`; returns how many there were.
std::size_t skip_digits(std::string_view text, std::size_t& at) {
  const std::size_t start = at;
  while (at < text.size() && is_digit(text[at])) ++at;
  return at - start;
}

/// An optional sign and decimal digits: "-12", "+5", "007".
bool is_integer_text(std::string_view text) {
  std::size_t at = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
  return skip_digits(text, at) > 0 && at == text.size();
}

/// An optional sign, digits with an optional point, an optional exponent after E or D
/// in either case: "10.0", "-.5", "1D-3", "2".
bool is_real_text(std::string_view text) {
  std::size_t at = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
  std::size_t mantissa = skip_digits(text, at);
  if (at < text.size() && text[at] == '.') {
    ++at;
    mantissa += skip_digits(text, at);
  }
  if (mantissa == 0) return false;
  if (at < text.size() &&
      (text[at] == 'E' || text[at] == 'e' || text[at] == 'D' || text[at] == 'd')) {
    ++at;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    if (skip_digits(text, at) == 0) return false;
  }
  return at == text.size();
}

/// Reads the integer member `member` into `target`; a null value leaves it as it was.
/// Returns the line of the value.
int read_integer(CaseScanner& scanner, std::string_view member, std::int32_t& target) {
  const Value value = scanner.next(member);
  if (value.kind == Value::Kind::null) return value.line;
  const std::string_view text = value.text;
  if (value.kind == Value::Kind::delimited || !is_integer_text(text)) {
    scanner.fail(value.line, member, "expected an integer, found '" + shown(text) + "'");
  }
  const std::string_view digits = text.substr(text[0] == '+' ? 1 : 0);
  const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), target);
  if (result.ec != std::errc()) {
    scanner.fail(value.line, member, "'" + shown(text) + "' is out of range for a 32-bit integer");
  }
  return value.line;
}

/// Reads the real member `member` into `target`; a null value leaves it as it was.
void read_real(CaseScanner& scanner, std::string_view member, double& target) {
  const Value value = scanner.next(member);
  if (value.kind == Value::Kind::null) return;
  if (value.kind == Value::Kind::delimited || !is_real_text(value.text)) {
    scanner.fail(value.line, member, "expected a real number, found '" + shown(value.text) + "'");
  }
  std::string text = value.text.substr(value.text[0] == '+' ? 1 : 0);
  for (char& c : text) {
    if (c == 'D' || c == 'd') c = 'e';
  }
  const auto result = std::from_chars(text.data(), text.data() + text.size(), target);
  if (result.ec != std::errc()) {
    scanner.fail(value.line, member,
                 "'" + shown(value.text) + "' is out of range for a real number");
  }
}

/// Reads the text member `member` into `target`, cut or blank-padded to its width; a
/// null value leaves it as it was. Returns the line of the value.
template <std::size_t Width>
int read_text(CaseScanner& scanner, std::string_view member, FixedText<Width>& target) {
  const Value value = scanner.next(member);
  if (value.kind != Value::Kind::null) target.assign(value.text);
  return value.line;
}

char lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool same_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

/// The files of the working folder that a listing named `caso` would destroy.
void check_case_name(const CaseScanner& scanner, int line, std::string_view caso) {
  static constexpr std::string_view kFixedFiles[] = {kCaseFile, "Talvenor_u.dat", "Talvenor_u.gnu",
                                                     "Talvenor_E.gnu"};
  const std::string name =
      std::filesystem::path(std::string(caso)).lexically_normal().generic_string();
  for (const std::string_view fixed : kFixedFiles) {
    if (same_ignoring_case(name, fixed)) {
      scanner.fail(line, "caso",
                   "the case name '" + shown(caso) + "' would overwrite " + std::string(fixed) +
                       "; choose another name for the listing");
    }
  }
}

}  // namespace

void parse_case(CaseData& data, std::string_view bytes, std::string_view file_name) {
  CaseScanner scanner(bytes, file_name);
  const int caso_line = read_text(scanner, "caso", data.caso);
  read_integer(scanner, "esquema", data.esquema);
  read_integer(scanner, "fonte", data.fonte);
  const int n_line = read_integer(scanner, "N", data.N);
  read_real(scanner, "Re", data.Re);
  read_real(scanner, "beta", data.beta);
  read_integer(scanner, "itmax", data.itmax);
  read_integer(scanner, "graficos", data.graficos);
  read_integer(scanner, "lista_coef", data.lista_coef);
  read_integer(scanner, "lista_sol", data.lista_sol);
  const int freq_line = read_integer(scanner, "freq", data.freq);
  read_text(scanner, "titulo", data.titulo);

  check_case_name(scanner, caso_line, data.caso.trimmed());
  if (data.N < 2) {
    scanner.fail(n_line, "N",
                 "N must be at least 2 (the slope at x = 1 uses the nodes N-2 to N), found " +
                     std::to_string(data.N));
  }
  if (data.freq < 1) {
    scanner.fail(freq_line, "freq", "freq must be at least 1, found " + std::to_string(data.freq));
  }
}

void load_case(CaseData& data, const std::string& path) {
  if (!std::filesystem::exists(path)) std::ofstream(path, std::ios::binary);
  std::ifstream in(path, std::ios::binary);
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (!in.good() && !in.eof()) {
    throw Error(Error::Kind::case_file, "cannot read the case file '" + path + "' (unit 7)");
  }
  parse_case(data, bytes, path);
}

void check_mesh_memory(std::int32_t N, std::optional<std::uint64_t> available) {
  if (!available) return;
  const std::uint64_t needed = (static_cast<std::uint64_t>(N) + 1) * kBytesPerNode;
  if (needed <= *available) return;
  constexpr std::uint64_t kMiB = 1024 * 1024;
  throw Error(Error::Kind::memory, "the mesh of N = " + std::to_string(N) + " needs " +
                                       std::to_string((needed + kMiB - 1) / kMiB) + " MiB (" +
                                       std::to_string(kBytesPerNode) + " bytes per node), only " +
                                       std::to_string(*available / kMiB) +
                                       " MiB of memory are available; choose a smaller N");
}

void prepare_mesh(CaseData& data) {
  check_mesh_memory(data.N, available_memory());
  const auto nodes = static_cast<std::size_t>(data.N) + 1;
  try {
    for (std::vector<double>* array :
         {&data.ua, &data.u, &data.x, &data.ap, &data.ae, &data.bp, &data.aw, &data.S}) {
      array->assign(nodes, 0.0);
    }
  } catch (const std::bad_alloc&) {
    throw Error(Error::Kind::memory, "cannot allocate the mesh of N = " + std::to_string(data.N) +
                                         " (" + std::to_string(kBytesPerNode) +
                                         " bytes per node); choose a smaller N");
  }
  data.h = 1.0 / data.N;
  data.x[0] = 0.0;
  for (std::size_t i = 1; i + 1 < nodes; ++i) data.x[i] = static_cast<double>(i) * data.h;
  data.x[nodes - 1] = 1.0;  // exactly, not N * h
}

void read_case(CaseData& data) {
  run_command("notepad " + std::string(kCaseFile));
  load_case(data, std::string(kCaseFile));
  prepare_mesh(data);
  const std::string not_computed = "the listing reports the exact solution as the numerical one";
  if (data.esquema < 0 || data.esquema > 2) {
    warn("esquema " + std::to_string(data.esquema) + " is not 0, 1 or 2: no iteration is run; " +
         not_computed);
  }
  if (data.fonte < 0 || data.fonte > 4) {
    warn("fonte " + std::to_string(data.fonte) +
         " is not 0 to 4: no exact solution or source term is computed (both stay zero)");
  }
  if (data.itmax < 1) {
    warn("itmax " + std::to_string(data.itmax) + " is below 1: no iteration is run; " +
         not_computed);
  }
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
