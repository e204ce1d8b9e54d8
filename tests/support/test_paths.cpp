#include "tests/support/test_paths.h"

#include <fstream>
#include <iterator>

// Under Wine the Linux paths are reached through drive Z:, which maps "/".
static std::string HostPath(const char* root, const std::string& relative) {
#ifdef _WIN32
  return std::string("Z:") + root + "/" + relative;
#else
  return std::string(root) + "/" + relative;
#endif
}

std::string BuildPath(const std::string& relative) { return HostPath(NIVAREL_BINARY_DIR, relative); }

std::vector<uint8_t> ReadSourceFile(const std::string& relative) {
  std::ifstream file(HostPath(NIVAREL_SOURCE_DIR, relative), std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}
