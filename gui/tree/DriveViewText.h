// Small text helpers shared by the folder tree's source files.
#pragma once

#include "ListingRules.h"

#include <QString>

#include <string>

namespace drivetree {

inline QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

inline std::string S(const QString& text)
{
    return text.toStdString();
}

inline bool EndsWithSeparator(const std::string& path)
{
    return !path.empty() && (path.back() == '/' || path.back() == '\\');
}

inline std::string JoinLocal(const std::string& parent, const std::string& name)
{
    return parent + (EndsWithSeparator(parent) ? "" : "/") + name;
}

}  // namespace drivetree
