// The "HTTP GET" dialog: one web address downloaded to a local file, with the
// addresses the user typed remembered in the profile (section
// "HttpDownloadHistory": "Count" and "Http0", "Http1", ...). OK downloads and
// closes the dialog only when the file arrived whole; while a download runs,
// Cancel stops it and the dialog stays open.
#pragma once

#include <QDialog>
#include <QString>

class CHttpDownload;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Opens the dialog modally over `parent`.
void ShowHttpGetDialog(QWidget* parent);

inline constexpr const char* kSectionHttpHistory = "HttpDownloadHistory";

class CHttpGetDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kMaxHistory = 10;

    explicit CHttpGetDlg(QWidget* parent = nullptr);
    ~CHttpGetDlg() override;

    // The work of OK without closing: fetches the address, remembers it when
    // it was typed, and shows "Error retrieving HTTP file" on failure. True
    // when the file arrived whole.
    bool DoDownload();

    void LoadHistory();
    void SaveHistory();

    QComboBox* UrlBox() const { return m_pUrl; }
    QLineEdit* LocalFileEdit() const { return m_pLocalFile; }
    QLineEdit* BytesEdit() const { return m_pBytes; }
    QRadioButton* AsciiButton() const { return m_pAscii; }
    QRadioButton* BinaryButton() const { return m_pBinary; }
    QPushButton* OkButton() const { return m_pOk; }
    QPushButton* CancelButton() const { return m_pCancel; }
    CHttpDownload& Download() const { return *m_pDownload; }
    bool IsTyped() const { return m_bTyped; }

    void accept() override;
    void reject() override;

private:
    void OnEditUrl();
    void OnSelchange(int index);
    void OnBrowse();
    void OnProgress(qint64 received, qint64 total, double bytesPerSecond);
    // Puts `url` at the top of the list, once, and keeps at most
    // kMaxHistory entries.
    void Remember(const QString& url);
    void SetBusy(bool busy);

    QComboBox* m_pUrl = nullptr;
    QLineEdit* m_pLocalFile = nullptr;
    QPushButton* m_pBrowse = nullptr;
    QRadioButton* m_pAscii = nullptr;
    QRadioButton* m_pBinary = nullptr;
    QLineEdit* m_pBytes = nullptr;
    QLabel* m_pStatus = nullptr;
    QPushButton* m_pOk = nullptr;
    QPushButton* m_pCancel = nullptr;
    CHttpDownload* m_pDownload = nullptr;
    bool m_bTyped = false;
};
