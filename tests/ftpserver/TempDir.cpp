#include "TempDir.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace testbed::detail {

TempDir::TempDir(const std::string& prefix)
{
    std::string pattern = (fs::temp_directory_path() / (prefix + "XXXXXX")).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr)
        throw std::runtime_error("cannot create a folder like " + pattern + ": " + std::strerror(errno));
    m_path = buffer.data();
}

TempDir::~TempDir()
{
    std::error_code error;
    fs::remove_all(m_path, error);
    if (!error)
        return;
    // A test may have made a folder unreadable; give everything back to the
    // owner and try once more.
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, error);
    for (auto it = fs::recursive_directory_iterator(m_path, fs::directory_options::skip_permission_denied, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        std::error_code ignored;
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add | fs::perm_options::nofollow, ignored);
    }
    fs::remove_all(m_path, error);
}

}  // namespace testbed::detail
