#include "tests/support/test_paths.h"

// Under Wine the Linux paths are reached through drive Z:, which maps "/".
static std::string HostPath(const char* root, const std::string& relative) {
#ifdef _WIN32
  return std::string("Z:") + root + "/" + relative;
#else
  return std::string(root) + "/" + relative;
#endif
}

std::string SourcePath(const std::string& relative) { return HostPath(NIVAREL_SOURCE_DIR, relative); }
std::string BuildPath(const std::string& relative) { return HostPath(NIVAREL_BINARY_DIR, relative); }
