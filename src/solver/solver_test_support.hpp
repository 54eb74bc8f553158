#pragma once

// A run record with its mesh, built as the case reader builds it, for tests of the
// solver's stages.

#include "record/variaveis.hpp"
#include "input/dados.hpp"

namespace talvenor {

inline CaseData mesh_case(int N, int esquema, int fonte, double Re, int itmax = 1) {
  CaseData data;
  data.caso.assign("run");
  data.N = N;
  data.esquema = esquema;
  data.fonte = fonte;
  data.Re = Re;
  data.itmax = itmax;
  data.freq = 1;
  prepare_mesh(data);
  return data;
}

}  // namespace talvenor
