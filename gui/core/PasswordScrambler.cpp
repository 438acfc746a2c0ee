#include "PasswordScrambler.h"

#include <array>
#include <cstdint>

namespace {

constexpr int kRounds = 8;

// Sixteen rows, each a permutation of the nibble values 0-15. A round key
// picks the row that a nibble goes through.
constexpr std::uint8_t kRows[16][16] = {
    {0xB, 0x4, 0xE, 0x2, 0x8, 0x0, 0x9, 0x5, 0xF, 0x1, 0x3, 0xD, 0x7, 0xC, 0x6, 0xA},
    {0x4, 0xB, 0x1, 0xD, 0x8, 0xC, 0x9, 0x6, 0x0, 0xF, 0xE, 0x7, 0x5, 0xA, 0x3, 0x2},
    {0xE, 0xC, 0xD, 0xF, 0x1, 0x0, 0x4, 0x6, 0xB, 0x9, 0x8, 0x2, 0x5, 0x7, 0x3, 0xA},
    {0x3, 0xE, 0xB, 0x5, 0x6, 0xA, 0x9, 0x1, 0x7, 0xF, 0xD, 0x0, 0x8, 0xC, 0x2, 0x4},
    {0xA, 0xC, 0x0, 0x9, 0x4, 0xD, 0x5, 0x2, 0x3, 0xF, 0x8, 0xB, 0x1, 0x6, 0xE, 0x7},
    {0x1, 0x0, 0x3, 0x2, 0xE, 0xA, 0x4, 0xB, 0xF, 0x5, 0x6, 0xD, 0xC, 0x8, 0x9, 0x7},
    {0xF, 0xA, 0xD, 0x8, 0x3, 0xC, 0x0, 0x7, 0x5, 0x2, 0x4, 0x6, 0xE, 0x9, 0xB, 0x1},
    {0xF, 0xA, 0xC, 0x7, 0x2, 0x4, 0x1, 0xE, 0x5, 0x8, 0xD, 0x9, 0x6, 0xB, 0x0, 0x3},
    {0xD, 0x4, 0x5, 0xC, 0x6, 0x9, 0x7, 0xE, 0xA, 0x3, 0x0, 0x1, 0xF, 0xB, 0x8, 0x2},
    {0xE, 0x3, 0x5, 0x7, 0xF, 0x4, 0x9, 0x6, 0x2, 0xD, 0x1, 0x8, 0x0, 0xA, 0xB, 0xC},
    {0xE, 0xD, 0x8, 0xF, 0xA, 0x2, 0xB, 0x6, 0x9, 0xC, 0x1, 0x5, 0x7, 0x4, 0x3, 0x0},
    {0xB, 0x8, 0xA, 0x4, 0xC, 0xD, 0xF, 0x0, 0xE, 0x3, 0x6, 0x7, 0x9, 0x1, 0x2, 0x5},
    {0x6, 0xF, 0x2, 0xD, 0xC, 0x4, 0x1, 0x9, 0x3, 0xB, 0x7, 0x0, 0xE, 0xA, 0x5, 0x8},
    {0x1, 0xA, 0x0, 0x8, 0xE, 0x4, 0xB, 0x7, 0xF, 0x2, 0xD, 0x5, 0x9, 0xC, 0x6, 0x3},
    {0x9, 0x7, 0x3, 0x2, 0xC, 0xB, 0xA, 0x5, 0x1, 0x8, 0xD, 0x0, 0xE, 0xF, 0x4, 0x6},
    {0x8, 0x9, 0x4, 0x3, 0x2, 0xC, 0xE, 0x0, 0x7, 0x1, 0xF, 0xD, 0x6, 0xB, 0xA, 0x5},
};

using RoundKeys = std::array<std::uint8_t, 16>;

// The key folds into two 32-bit words; their sixteen nibbles are the round
// keys.
RoundKeys MakeRoundKeys(const std::string& userName)
{
    std::uint32_t words[2] = {0, 0};
    for (size_t i = 0; i < 8 && i < userName.size(); ++i)
        words[i / 4] |= static_cast<std::uint32_t>(static_cast<unsigned char>(userName[i])) << (8 * (i % 4));
    RoundKeys keys{};
    for (int i = 0; i < 16; ++i)
        keys[i] = static_cast<std::uint8_t>((words[i / 8] >> (4 * (i % 8))) & 0xF);
    return keys;
}

int RowFor(const RoundKeys& keys, int round, int nibble)
{
    return (keys[(nibble + 2 * round) & 15] + nibble + round) & 15;
}

std::uint64_t RotateLeft(std::uint64_t x, int bits)
{
    return (x << bits) | (x >> (64 - bits));
}

std::uint64_t RotateRight(std::uint64_t x, int bits)
{
    return (x >> bits) | (x << (64 - bits));
}

// Rotating by a count that is no multiple of four moves bits across nibble
// borders; folding the upper half into the lower spreads them further.
std::uint64_t Mix(std::uint64_t x)
{
    x = RotateLeft(x, 11);
    return x ^ (x >> 32);
}

std::uint64_t Unmix(std::uint64_t x)
{
    x ^= x >> 32;
    return RotateRight(x, 11);
}

std::uint64_t EncryptBlock(std::uint64_t block, const RoundKeys& keys)
{
    for (int round = 0; round < kRounds; ++round) {
        std::uint64_t out = 0;
        for (int n = 0; n < 16; ++n) {
            const unsigned value = static_cast<unsigned>((block >> (4 * n)) & 0xF);
            out |= static_cast<std::uint64_t>(kRows[RowFor(keys, round, n)][value]) << (4 * n);
        }
        block = Mix(out);
    }
    return block;
}

std::uint64_t DecryptBlock(std::uint64_t block, const RoundKeys& keys)
{
    // The inverse of each row, built once.
    static const auto inverse = [] {
        std::array<std::array<std::uint8_t, 16>, 16> rows{};
        for (int r = 0; r < 16; ++r) {
            for (int v = 0; v < 16; ++v)
                rows[r][kRows[r][v]] = static_cast<std::uint8_t>(v);
        }
        return rows;
    }();
    for (int round = kRounds - 1; round >= 0; --round) {
        block = Unmix(block);
        std::uint64_t out = 0;
        for (int n = 0; n < 16; ++n) {
            const unsigned value = static_cast<unsigned>((block >> (4 * n)) & 0xF);
            out |= static_cast<std::uint64_t>(inverse[RowFor(keys, round, n)][value]) << (4 * n);
        }
        block = out;
    }
    return block;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string ScramblePassword(const std::string& password, const std::string& userName)
{
    if (password.empty())
        return {};
    static constexpr char kHex[] = "0123456789ABCDEF";
    const RoundKeys keys = MakeRoundKeys(userName);
    std::string stored;
    for (size_t offset = 0; offset < password.size(); offset += 8) {
        std::uint64_t block = 0;
        for (size_t i = 0; i < 8 && offset + i < password.size(); ++i)
            block |= static_cast<std::uint64_t>(static_cast<unsigned char>(password[offset + i])) << (8 * i);
        block = EncryptBlock(block, keys);
        for (int i = 0; i < 8; ++i) {
            const unsigned byte = static_cast<unsigned>((block >> (8 * i)) & 0xFF);
            stored += kHex[byte >> 4];
            stored += kHex[byte & 0xF];
        }
    }
    return stored;
}

std::string UnscramblePassword(const std::string& stored, const std::string& userName)
{
    if (stored.empty() || stored.size() % 16 != 0)
        return {};
    const RoundKeys keys = MakeRoundKeys(userName);
    std::string password;
    for (size_t offset = 0; offset < stored.size(); offset += 16) {
        std::uint64_t block = 0;
        for (int i = 0; i < 8; ++i) {
            const int high = HexValue(stored[offset + 2 * i]);
            const int low = HexValue(stored[offset + 2 * i + 1]);
            if (high < 0 || low < 0)
                return {};
            block |= static_cast<std::uint64_t>(high * 16 + low) << (8 * i);
        }
        block = DecryptBlock(block, keys);
        for (int i = 0; i < 8; ++i) {
            const char c = static_cast<char>((block >> (8 * i)) & 0xFF);
            if (c == '\0')
                return password;
            password += c;
        }
    }
    return password;
}
