// The stored form of profile passwords: a keyed, reversible 64-bit block
// transformation, keyed by the first eight bytes of the server's user name
// and written as upper-case hexadecimal. It keeps passwords from being read
// at a glance in the profile file; it is not encryption against anyone who
// has this program. Changing the user name makes stored passwords unreadable.
#pragma once

#include <string>

// "" for an empty password; otherwise 16 hexadecimal digits per 8 bytes.
std::string ScramblePassword(const std::string& password, const std::string& userName);
// The password, cut at its first zero byte; "" for a value that is not the
// stored form (wrong length or not hexadecimal).
std::string UnscramblePassword(const std::string& stored, const std::string& userName);
