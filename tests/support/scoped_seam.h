// Installs a seam's services (the platform, the registry, the scene) for the
// lifetime of a test and restores the previous ones afterwards.
#pragma once

template <typename Services, Services* (*Current)(), void (*Install)(Services*)>
class ScopedSeam {
 public:
  explicit ScopedSeam(Services& services) : previous_(Current()) { Install(&services); }
  ~ScopedSeam() { Install(previous_); }
  ScopedSeam(const ScopedSeam&) = delete;
  ScopedSeam& operator=(const ScopedSeam&) = delete;

 private:
  Services* previous_;
};
