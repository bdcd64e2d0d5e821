#include "ProgramValues.h"

namespace kivra {

ProgramValues& Program() {
    static ProgramValues values;
    return values;
}

}  // namespace kivra
