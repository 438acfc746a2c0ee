// The "FTP GET" and "FTP PUT/APPEND" dialogs: one file moved by name, with
// a restart point and an override of the transfer type, and the transfer
// that runs what the dialog holds.
#pragma once

#include <QDialog>
#include <QString>

#include <functional>
#include <string>

class CSession;
class QButtonGroup;
class QCheckBox;
class QLineEdit;

// What the dialogs hold. The paths are used as they are: the view makes a
// bare remote name into a path in the folder it shows beforehand.
struct FtpTransferRequest {
    std::string m_strRemote;
    std::string m_strLocal;
    bool m_bFromLast = false;    // "From last transfer": the library finds the offset
    bool m_bAtPosition = false;  // "At position": restart at m_nPosition
    long long m_nPosition = 0;
    bool m_bAppend = false;      // Put only
    int m_nType = 0;             // TransferType: 0 default, 1 ASCII, 2 binary
};

// The reason a request cannot be carried out as it stands (an empty or
// relative local path, an empty remote name), or an empty text.
QString FtpTransferProblem(const FtpTransferRequest& request);

// Run the request on the session in the order the restart fields ask for.
// A request with a problem is refused with a message and NETVO_E_BADARG;
// otherwise the result is the library's, and after a failure its error
// text is shown.
int RunFtpGet(CSession& session, const FtpTransferRequest& request);
int RunFtpPut(CSession& session, const FtpTransferRequest& request);

class CFtpTransferDlg : public QDialog {
    Q_OBJECT

public:
    enum Mode { Get, Put };

    explicit CFtpTransferDlg(Mode mode, QWidget* parent = nullptr);

    Mode GetMode() const { return m_nMode; }
    void SetRequest(const FtpTransferRequest& request);
    // The fields as the transfer reads them: a box that is disabled counts
    // as clear, and so does a position that is not a number.
    FtpTransferRequest GetRequest() const;
    // False when "At position" is checked but its text is not a number of
    // bytes from 0 to the largest 64-bit one.
    bool IsPositionValid() const;

    QLineEdit* RemoteEdit() const { return m_pRemote; }
    QLineEdit* LocalEdit() const { return m_pLocal; }
    QLineEdit* PositionEdit() const { return m_pPosition; }
    QCheckBox* FromLastBox() const { return m_pFromLast; }
    QCheckBox* AtPositionBox() const { return m_pAtPosition; }
    QCheckBox* AppendBox() const { return m_pAppend; }  // nullptr in Get

    // Shows the dialog modally; QDialog::Accepted once the fields make a
    // request that can run. A test installs a responder that fills the
    // fields and answers instead of the user (true for OK); nullptr goes
    // back to the dialog. Returns the previous one.
    int Run();
    using Responder = std::function<bool(CFtpTransferDlg&)>;
    static Responder SetResponder(Responder responder);

    // OK keeps the dialog open and says why while the fields cannot run.
    void accept() override;

private:
    void UpdateEnabled();
    // The refusal for the fields as they stand, or an empty text.
    QString Problem() const;

    Mode m_nMode;
    QLineEdit* m_pRemote = nullptr;
    QLineEdit* m_pLocal = nullptr;
    QCheckBox* m_pFromLast = nullptr;
    QCheckBox* m_pAtPosition = nullptr;
    QLineEdit* m_pPosition = nullptr;
    QCheckBox* m_pAppend = nullptr;
    QButtonGroup* m_pType = nullptr;
};
