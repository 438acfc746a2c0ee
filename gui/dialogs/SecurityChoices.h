// The encryption choices a user can pick for a server, in the order the
// dialogs list them, with the library's mode each stands for; and the short
// words for what a connection negotiated.
#pragma once

#include <QComboBox>
#include <QString>

struct SecurityChoice {
    const char* label;
    int mode;  // NETVO_SECURE_*
};

inline constexpr SecurityChoice kSecurityChoices[] = {
    {"Use explicit TLS if the server offers it", 1},
    {"Require explicit TLS", 2},
    {"Require implicit TLS (port 990)", 3},
    {"Plain FTP: no encryption (insecure)", 0},
};

inline void FillSecurityChoices(QComboBox* box)
{
    for (const SecurityChoice& choice : kSecurityChoices)
        box->addItem(QString::fromUtf8(choice.label), choice.mode);
}

inline void ShowSecurityChoice(QComboBox* box, int mode)
{
    const int index = box->findData(mode);
    box->setCurrentIndex(index >= 0 ? index : 0);
}

inline int ShownSecurityChoice(const QComboBox* box)
{
    return box->currentData().isValid() ? box->currentData().toInt() : 1;
}

// The status bar's and the server item's words for a netvo32 security
// state (ftp_getsecurity); empty for no connection (negative).
inline QString SecurityStateText(int state)
{
    if (state < 0)
        return QString();
    if (state >= 2)
        return QStringLiteral("Encrypted (TLS)");
    if (state == 1)
        return QStringLiteral("TLS, files in clear");
    return QStringLiteral("Not encrypted");
}
