// The Tools menu's network tests: ping, resolve a name, this machine's address.
// Each is a small modal dialog over the netvo32 calls; none touches the FTP
// sessions. The work behind each button is a plain function so that it can
// be checked without a dialog.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QSpinBox;

// Address texts hold any IPv6 address (46 characters) and a zone name.
inline constexpr int kAddressBufferSize = 64;

// The ping time-out in seconds, kept to 1 .. 60.
inline constexpr int kPingTimeoutMin = 1;
inline constexpr int kPingTimeoutMax = 60;
inline constexpr int kPingTimeoutDefault = 4;
int ClampPingTimeout(long long seconds);

// Pings `host` once, waiting at most `seconds` (clamped) in all. Returns the
// result text: "<host> ping successful", or "<host> ping failed: <reason>".
QString QuickPingText(const QString& host, int seconds);

struct ResolveOutcome {
    bool ok = false;
    QString text;     // "<host> IP = <address>" or "Get <host> IP failed: <reason>"
    QString address;  // the address found; empty on failure
};
ResolveOutcome ResolveIpAddress(const QString& host);

// This machine's own address, or "Get My IP failed".
QString MyIpText();

// "Quick Ping": an address, a time-out and "&Ping", which may be pressed
// again and again; "&Close" ends it.
class CQuickPingDlg : public QDialog {
    Q_OBJECT

public:
    explicit CQuickPingDlg(QWidget* parent = nullptr);

    QLineEdit* AddressEdit() const { return m_pAddress; }
    QSpinBox* TimeoutEdit() const { return m_pTimeout; }
    QString Result() const;

public slots:
    void OnPing();

private:
    QLineEdit* m_pAddress = nullptr;
    QSpinBox* m_pTimeout = nullptr;
    QLabel* m_pResult = nullptr;
};

// "Resolve IP Address": a host name, "&Resolve", the result and the address.
// A failed lookup leaves the address shown before in place.
class CResolveIpDlg : public QDialog {
    Q_OBJECT

public:
    explicit CResolveIpDlg(QWidget* parent = nullptr);

    QLineEdit* HostEdit() const { return m_pHost; }
    QString Result() const;
    QString Address() const;

public slots:
    void OnResolve();

private:
    QLineEdit* m_pHost = nullptr;
    QLabel* m_pResult = nullptr;
    QLineEdit* m_pAddress = nullptr;
};

// "My IP Address": looks the address up as it opens.
class CMyIpDlg : public QDialog {
    Q_OBJECT

public:
    explicit CMyIpDlg(QWidget* parent = nullptr);

    QString Address() const;

private:
    QLineEdit* m_pAddress = nullptr;
};

// The Tools menu's entries: each opens its dialog modally.
void ShowQuickPing(QWidget* parent);
void ShowResolveIp(QWidget* parent);
void ShowMyIp(QWidget* parent);
