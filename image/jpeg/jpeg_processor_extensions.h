// What the processor offers the fast engine beyond the x86-64 baseline.  Each
// is found out once per process; elsewhere than on x86-64 the answers are no.
#pragma once

// Population count and bit deposit, run at full speed (some processors
// deposit in microcode, one bit at a time, slower than doing without).
bool ProcessorDepositsBitsFast();

// AVX2, with the operating system saving the wide registers.
bool ProcessorHasAvx2();
