#include "Profile.h"

#include <QSettings>
#include <QString>

namespace {

// Section names are server names, which the user types. QSettings reads "/"
// and "\\" in a key as group separators, so a server called "a/b" would
// land in a nested group; those two characters (and the escape itself) are
// stored escaped.
QString EscapeKeyPart(const std::string& part)
{
    QString escaped;
    for (const QChar c : QString::fromStdString(part)) {
        if (c == u'%')
            escaped += QStringLiteral("%25");
        else if (c == u'/')
            escaped += QStringLiteral("%2F");
        else if (c == u'\\')
            escaped += QStringLiteral("%5C");
        else
            escaped += c;
    }
    return escaped;
}

QString Key(const std::string& section, const std::string& entry)
{
    return EscapeKeyPart(section) + u'/' + EscapeKeyPart(entry);
}

bool Write(const std::string& section, const std::string& entry, const QVariant& value)
{
    QSettings profile(QSettings::NativeFormat, QSettings::UserScope, kProfileCompany, kProfileApplication);
    profile.setValue(Key(section, entry), value);
    profile.sync();
    return profile.status() == QSettings::NoError;
}

}  // namespace

std::string GetProfileString(const std::string& section, const std::string& entry, const std::string& defaultValue)
{
    QSettings profile(QSettings::NativeFormat, QSettings::UserScope, kProfileCompany, kProfileApplication);
    const QVariant value = profile.value(Key(section, entry));
    if (!value.isValid())
        return defaultValue;
    return value.toString().toStdString();
}

int GetProfileInt(const std::string& section, const std::string& entry, int defaultValue)
{
    QSettings profile(QSettings::NativeFormat, QSettings::UserScope, kProfileCompany, kProfileApplication);
    const QVariant value = profile.value(Key(section, entry));
    if (!value.isValid())
        return defaultValue;
    bool ok = false;
    const int number = value.toString().trimmed().toInt(&ok);
    return ok ? number : defaultValue;
}

bool WriteProfileString(const std::string& section, const std::string& entry, const std::string& value)
{
    return Write(section, entry, QString::fromStdString(value));
}

bool WriteProfileInt(const std::string& section, const std::string& entry, int value)
{
    return Write(section, entry, QString::number(value));
}

bool DeleteProfileSection(const std::string& section)
{
    // QSettings reads an empty group as the whole profile.
    if (section.empty())
        return false;
    QSettings profile(QSettings::NativeFormat, QSettings::UserScope, kProfileCompany, kProfileApplication);
    profile.remove(EscapeKeyPart(section));
    profile.sync();
    return profile.status() == QSettings::NoError;
}
