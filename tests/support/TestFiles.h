// Whole-file reads and writes for tests, byte for byte.
#pragma once

#include <filesystem>
#include <string>

namespace testsupport {

// Creates missing parent folders; replaces what was there.
void WriteFile(const std::filesystem::path& path, const std::string& content);
// Empty when the file cannot be read.
std::string ReadFile(const std::filesystem::path& path);

}  // namespace testsupport
