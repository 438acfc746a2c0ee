// CDlgFileCopy: the modeless window that shows what a paste is copying: an
// animation (the "filecopy" clip next to the program, or a busy bar when it
// is missing) and the current file with its source and target folders. It
// has no buttons; Cancel belongs to the progress window of the transfer.
#pragma once

#include <QDialog>

#include <string>

class QLabel;
class QMovie;
class QPlainTextEdit;
class QProgressBar;

class CDlgFileCopy : public QDialog {
    Q_OBJECT

public:
    enum Mode { ModeCopy = 0, ModeMove = 1, ModeAppend = 2 };

    explicit CDlgFileCopy(int mode, QWidget* parent = nullptr);
    ~CDlgFileCopy() override;

    // Caption by mode, the animation started.
    void OnInitDialog();
    // "Copying NAME / From "FOLDER" To "FOLDER"", each folder shortened to
    // its last component.
    void SetFileNames(const std::string& fromFolder, const std::string& toFolder, const std::string& file);
    void Stop();

    QString Text() const;
    bool IsAnimated() const { return m_pMovie != nullptr; }

    // The folder text as shown: the last component of a path (one trailing
    // separator dropped), "/" and "\" paths alike; short texts unchanged.
    static std::string ShortFolder(const std::string& folder);

    int m_nMode = ModeCopy;

private:
    QLabel* m_pAnimation = nullptr;
    QMovie* m_pMovie = nullptr;
    QProgressBar* m_pBusy = nullptr;
    QPlainTextEdit* m_pText = nullptr;
};
