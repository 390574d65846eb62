#include "core/program_values.h"

namespace lumora::core {

ProgramValues& programValues() {
  static ProgramValues values;
  return values;
}

}  // namespace lumora::core
