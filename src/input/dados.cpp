#include "input/dados.hpp"

namespace talvenor {

void read_case(CaseData&) {}
void load_case(CaseData&, const std::string&) {}
void parse_case(CaseData&, std::string_view, std::string_view) {}
void prepare_mesh(CaseData&) {}
void echo_case(const CaseData&, TextFile&) {}

}  // namespace talvenor
