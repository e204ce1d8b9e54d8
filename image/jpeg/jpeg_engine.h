// What each engine runs: the reference engine its plain kernels only, the fast
// engine's two forms the vector kernels and bulk bit readers, and Fast alone
// what the processor offers beyond the x86-64 baseline.  Asked only while the
// kernels are chosen.
#pragma once
#include "image/cpu_features.h"
#include "image/jpeg/jpeg_decoder.h"

inline bool RunsFastKernels(JpegEngine engine) { return engine != JpegEngine::Reference; }

inline bool RunsAvx2(JpegEngine engine) {
  return engine == JpegEngine::Fast && ProcessorHasAvx2();
}

inline bool RunsBitDeposit(JpegEngine engine) {
  return engine == JpegEngine::Fast && ProcessorDepositsBitsFast();
}
