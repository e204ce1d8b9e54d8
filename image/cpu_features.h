// What the processor offers the JPEG decoder, found out through its
// identification instruction (CPUID): MMX, which selects the decoder's 16-bit
// transform and 64-bit bit reader, and the extensions beyond the x86-64
// baseline that the fast engine runs where they are there (AVX2; population
// count and bit deposit at full speed).  Elsewhere than on x86 every answer
// is no.
#pragma once

class CpuFeatures {
 public:
  virtual ~CpuFeatures() = default;
  // Finds out what the processor offers; false when it cannot tell.
  virtual bool detect() = 0;
  // The answers below are meaningful only after detect() succeeded.
  virtual bool hasMmx() const = 0;
  // AVX2, with the operating system saving the wide registers.
  virtual bool hasAvx2() const = 0;
  // Population count and bit deposit, run at full speed (some processors
  // deposit in microcode, one bit at a time, slower than doing without).
  virtual bool depositsBitsFast() const = 0;
};

// The probe through the identification instruction.  A processor without
// that instruction cannot tell, and offers nothing.
class CpuidFeatures final : public CpuFeatures {
 public:
  bool detect() override;
  bool hasMmx() const override { return mmx_; }
  bool hasAvx2() const override { return avx2_; }
  bool depositsBitsFast() const override { return depositsBitsFast_; }

 private:
  bool mmx_ = false;
  bool avx2_ = false;
  bool depositsBitsFast_ = false;
};

// The decoder's useMmx flag: detection succeeded and MMX is present.
bool DecoderMayUseMmx(CpuFeatures& features);

// This processor's answers, probed once per process: the fast engine asks
// them when it chooses its kernels.
bool ProcessorHasAvx2();
bool ProcessorDepositsBitsFast();
