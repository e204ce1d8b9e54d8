// What the processor offers the JPEG decoder: whether it has MMX, which
// selects the decoder's 16-bit transform and 64-bit bit reader.
#pragma once

class CpuFeatures {
 public:
  virtual ~CpuFeatures() = default;
  // Finds out what the processor offers; false when it cannot tell.
  virtual bool detect() = 0;
  // Whether the processor has MMX; meaningful only after detect() succeeded.
  virtual bool hasMmx() const = 0;
};

// The probe through the processor's identification instruction.  A processor
// without that instruction cannot tell, and has no MMX.
class CpuidFeatures final : public CpuFeatures {
 public:
  bool detect() override;
  bool hasMmx() const override { return mmx_; }

 private:
  bool mmx_ = false;
};

// The decoder's useMmx flag: detection succeeded and MMX is present.
bool DecoderMayUseMmx(CpuFeatures& features);
