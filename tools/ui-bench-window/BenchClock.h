// The clock the UI benchmark programs time their steps with.
#pragma once

namespace uibench {

// Milliseconds on the performance counter, from an arbitrary start.
double Now();

}  // namespace uibench
