#include "results/resultados.hpp"

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "record/interest.hpp"
#include "record/run_files.hpp"
#include "results/sample_templates.hpp"
#include "system/commands.hpp"
#include "textio/gnuplot_text.hpp"
#include "textio/layout.hpp"

namespace talvenor {
namespace {

constexpr int kPlotUnit = 11;

/// One row per listed node: the node, x, exact and numerical u and the error
/// exact minus numerical. The solution table and the data file share these rows.
void write_solution_rows(const CaseData& data, TextFile& file) {
  static const Layout kRow(u8"(I8,4(1P,E23.14))");
  for (const std::int32_t i : listed_nodes(data.N, data.freq)) {
    const double erro = data.ua[i] - data.u[i];
    write_formatted(file, kRow, {i, data.x[i], data.ua[i], data.u[i], erro});
  }
}

/// Keeps the first `keep` lines of the template `name` and writes the title and
/// redraw commands after them; a template missing from the working folder is first
/// written from the shipped sample. A template whose presence cannot be told (a
/// link to itself) is opened as it is, and the open reports why it fails.
void stamp_template(const CaseData& data, const std::string& name, std::string_view sample,
                    int keep) {
  std::error_code unknown;
  if (!std::filesystem::exists(name, unknown) && !unknown) {
    TextFile file(name, kPlotUnit, "plot template");
    // Records end in CR LF; a last one without it is still one record.
    for (std::size_t at = 0; at < sample.size();) {
      const std::size_t end = std::min(sample.find("\r\n", at), sample.size());
      file.write_record(sample.substr(at, end - at));
      at = end + 2;
    }
    file.close();
  }
  TextFile script = TextFile::after_lines(name, kPlotUnit, "plot template", keep);
  write_free_form(script, {"set title ", gnuplot_quoted(data.titulo.trimmed())});
  write_free_form(script, {"replot"});
  script.close();
}

/// Stamps the plot's template (keeping its first `keep` lines) and runs the plotter on it.
void draw_plot(const CaseData& data, const PlotFiles& plot, std::string_view sample, int keep) {
  const std::string script(plot.script);
  stamp_template(data, script, sample, keep);
  show_plot(script);
}

/// The layout of one block of the report: the exact value, h with the numerical
/// value and the title, and the error, for the variable called `name`.
Layout block_layout(std::u8string_view name) {
  const std::u8string label(name);
  return Layout(u8"(/,23X,1P,E23.14,' =     " + label + u8" (analítico)',/,E23.14,E23.14,' = h e " +
                label +
                u8" (numérico) *** ',A^,/,23X,E23.14,' =     erro = analítico - numérico')");
}

void report_block(TextFile& listing, const Layout& block, const CaseData& data, double exact,
                  double numerical) {
  const double erro = exact - numerical;
  const std::string_view title = data.titulo.trimmed();
  write_formatted(listing, block, {exact, data.h, numerical, title, erro},
                  static_cast<int>(title.size()));
}

}  // namespace

void write_results(const CaseData& data, TextFile& listing) {
  if (data.lista_coef == 1) list_coefficients(data, listing);
  if (data.lista_sol == 1) list_solutions(data, listing);
  if (data.graficos == 1) write_plot_files(data);
  report_variables(data, listing);
}

void list_coefficients(const CaseData& data, TextFile& listing) {
  static const Layout kHeader(
      u8"(/,1X,'*** COEFICIENTES E TERMOS FONTES DE u ***',/,/,"
      u8"T7,'nó',T12,'x',T35,'oeste',T58,'central',T81,'leste',T104,'fonte',/)");
  static const Layout kRow(u8"(I8,5(1P,E23.14))");
  write_formatted(listing, kHeader, {});
  for (const std::int32_t i : listed_nodes(data.N, data.freq)) {
    write_formatted(listing, kRow, {i, data.x[i], data.aw[i], data.ap[i], data.ae[i], data.bp[i]});
  }
}

void list_solutions(const CaseData& data, TextFile& listing) {
  static const Layout kHeader(
      u8"(/,1X,'*** SOLUÇÕES DE u ***',/,/,"
      u8"T7,'nó',T12,'x',T35,'analítico',T58,'numérico',T81,'erro',/)");
  write_formatted(listing, kHeader, {});
  write_solution_rows(data, listing);
}

void write_plot_files(const CaseData& data) {
  static const Layout kHeader(
      u8"('# *** SOLUÇÕES DE u ***',/,"
      u8"'#',T7,'nó',T12,'x',T35,'analítico',T58,'numérico',T81,'erro')");
  TextFile columns(std::string(kDataFile), kPlotUnit, "data file");
  write_formatted(columns, kHeader, {});
  write_solution_rows(data, columns);
  columns.close();

  draw_plot(data, kSolutionPlot, kSampleSolutionTemplate, 8);
  draw_plot(data, kErrorPlot, kSampleErrorTemplate, 6);
}

void report_variables(const CaseData& data, TextFile& listing) {
  static const Layout kHeader(u8"(/,1X,'*** VARIÁVEIS DE INTERESSE ***')");
  static const std::array<Layout, kVariableCount> kBlocks = {
      block_layout(kVariableNames[0].report), block_layout(kVariableNames[1].report),
      block_layout(kVariableNames[2].report)};
  static const Layout kTime(u8"(/,F14.3,' = tempo de processamento (segundos)')");
  const InterestValues exact = exact_variables(data);
  const InterestValues numerical = numerical_variables(data);
  write_formatted(listing, kHeader, {});
  for (std::size_t v = 0; v < kVariableCount; ++v) {
    report_block(listing, kBlocks[v], data, exact[v], numerical[v]);
  }
  write_formatted(listing, kTime, {data.tempo});
}

}  // namespace talvenor
