// A fresh folder under the system temp dir, removed with everything in it
// when the object goes away (permissions a test took away are restored).
#pragma once

#include <filesystem>
#include <string>

namespace testbed::detail {

class TempDir {
public:
    // Creates <temp>/<prefix>XXXXXX; throws std::runtime_error.
    explicit TempDir(const std::string& prefix);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

}  // namespace testbed::detail
