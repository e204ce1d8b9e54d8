// Where the tests find the source tree (committed test data) and the build tree
// (data made at build time), whichever build they run in.
#pragma once
#include <string>

std::string SourcePath(const std::string& relative);
std::string BuildPath(const std::string& relative);
