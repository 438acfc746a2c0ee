// The pieces the listing rules share: the words of a line with their places,
// and readers for numbers, dates and times as listings write them. Internal
// to the listing rules.
#pragma once

#include "ListingRules.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace listing_detail {

struct Token {
    size_t begin;
    size_t end;
    std::string_view text;
};

bool IsBlank(char c);
bool IsDigit(char c);
// Blank-separated words with their places in the line. Listings can be
// long, so the words point into the line instead of copying it.
std::vector<Token> Tokenize(std::string_view line);
bool AllDigits(std::string_view text);
// Leading decimal digits, as a scanf "%d" would take them (with a sign).
// Saturates instead of overflowing on absurd values from a hostile server.
bool ReadInt64(std::string_view text, std::int64_t& value);
int ReadSmallInt(std::string_view text, int fallback = 0);
std::string_view TrimLeft(std::string_view text);
std::string_view TrimRight(std::string_view text);
// "MM-DD-YY" or "MM-DD-YYYY".
bool ReadDashDate(std::string_view text, int& month, int& day, int& year);
// "HH:MM", "HH:MM:SS", with an optional 12-hour suffix ("AM", "PM", and the
// "a"/"p" of old DOS listings).
bool ReadClock(std::string_view text, int& hour, int& minute);
bool IsDateToken(std::string_view text);
bool IsClockToken(std::string_view text);
bool IsSizeOrDir(std::string_view text);

// The rules of each family, on a line already cut into words.
bool HasUnixShape(const std::vector<Token>& tokens);
bool HasIisShape(const std::vector<Token>& tokens);
bool HasDosShape(const std::vector<Token>& tokens);
ListingEntry ParseUnix(std::string_view line, const std::vector<Token>& tokens);
ListingEntry ParseDos(std::string_view line, const std::vector<Token>& tokens);
ListingEntry ParseIis(std::string_view line, const std::vector<Token>& tokens);

}  // namespace listing_detail
