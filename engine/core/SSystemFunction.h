#pragma once
// The lookup lives in base, below the engine; the engine's code names it as its own.
#include "base/systemfunction.h"

namespace SOUI {

using ::SystemFunction;

}  // namespace SOUI
