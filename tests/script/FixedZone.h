// Sets the process's time zone for the lifetime of the object. Dates are
// read and shown in local time; a zone five hours behind UTC ("XST5") makes
// the difference between local and UTC fields visible.
#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace scripttest {

class FixedZone {
public:
    explicit FixedZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            m_old = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~FixedZone()
    {
        if (m_old)
            setenv("TZ", m_old->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    FixedZone(const FixedZone&) = delete;
    FixedZone& operator=(const FixedZone&) = delete;

private:
    std::optional<std::string> m_old;
};

}  // namespace scripttest
