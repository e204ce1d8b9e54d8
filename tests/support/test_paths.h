// Where the tests find the source tree (committed test data) and the build tree
// (data made at build time), whichever build they run in.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

std::string BuildPath(const std::string& relative);
// A committed file's bytes; empty if it cannot be read.
std::vector<uint8_t> ReadSourceFile(const std::string& relative);
