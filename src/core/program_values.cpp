#include "core/program_values.h"

namespace lumora {

ProgramValues& programValues() {
  static ProgramValues values;
  return values;
}

}  // namespace lumora
