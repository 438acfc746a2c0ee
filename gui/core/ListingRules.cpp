#include "ListingRules.h"

#include "ListingFields.h"
#include "SessionTypes.h"

#include <array>
#include <cctype>

using namespace listing_detail;

int MonthFromName(std::string_view name)
{
    static constexpr std::array<const char*, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                            "jul", "aug", "sep", "oct", "nov", "dec"};
    if (name.size() != 3)
        return 0;
    char lower[3];
    for (size_t i = 0; i < 3; ++i)
        lower[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
    for (size_t m = 0; m < kMonths.size(); ++m) {
        if (std::string_view(lower, 3) == kMonths[m])
            return static_cast<int>(m) + 1;
    }
    return 0;
}

int FullYear(int year, size_t digits)
{
    if (digits <= 2 && year >= 0 && year < 100)
        return year >= 51 ? 1900 + year : 2000 + year;
    return year;
}

std::string LastPathComponent(std::string_view name)
{
    size_t cut = name.rfind('/');
    if (cut == std::string_view::npos)
        cut = name.rfind('\\');
    return std::string(cut == std::string_view::npos ? name : name.substr(cut + 1));
}

namespace {

ListingRule ChooseRule(const std::vector<Token>& tokens, int osType)
{
    if (HasIisShape(tokens))
        return ListingRule::Iis;
    if (HasUnixShape(tokens))
        return ListingRule::Unix;
    if (HasDosShape(tokens))
        return ListingRule::Dos;
    return osType == OsDos ? ListingRule::Dos : ListingRule::Unix;
}

ListingEntry ParseByRule(std::string_view line, const std::vector<Token>& tokens, ListingRule rule)
{
    switch (rule) {
    case ListingRule::Dos:
        return ParseDos(line, tokens);
    case ListingRule::Iis:
        return ParseIis(line, tokens);
    case ListingRule::Unix:
        break;
    }
    return ParseUnix(line, tokens);
}

ListingEntry Parse(std::string_view line, const std::vector<Token>& tokens, ListingRule rule)
{
    ListingEntry entry = ParseByRule(line, tokens, rule);
    // A NUL would cut the name short wherever it is passed on, so that it
    // named another file: such a name names nothing.
    if (entry.name.find('\0') != std::string::npos)
        entry.name.clear();
    if (entry.linkTarget.find('\0') != std::string::npos)
        entry.linkTarget.clear();
    if (entry.size < 0)
        entry.size = 0;
    return entry;
}

}  // namespace

ListingRule ChooseListingRule(std::string_view line, int osType)
{
    return ChooseRule(Tokenize(line), osType);
}

ListingEntry ParseListingLine(std::string_view line, ListingRule rule)
{
    return Parse(line, Tokenize(line), rule);
}

ListingEntry ReadListingLine(std::string_view line, int osType, ListingRule& rule)
{
    const std::vector<Token> tokens = Tokenize(line);
    rule = ChooseRule(tokens, osType);
    return Parse(line, tokens, rule);
}

ListingEntry ParseUnixLine(std::string_view line)
{
    return Parse(line, Tokenize(line), ListingRule::Unix);
}

bool IsSkippedListingLine(std::string_view line, int osType, std::string_view name)
{
    // Nothing could be done with a nameless entry but act on its folder.
    if (name.empty())
        return true;
    if (osType == OsDos)
        return !line.empty() && IsBlank(line[0]);
    return line.starts_with("total ") || IsDotName(name);
}
