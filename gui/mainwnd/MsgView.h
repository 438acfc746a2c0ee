// CMsgView: the message pane under the tree and the file list. It shows the
// FTP dialogue, the program's messages and trace lines (it is the trace
// log's output), the echoes of command-bar lines and the replies of QUOTE.
// The user can empty it and save it to a file.
#pragma once

#include <QPlainTextEdit>

#include <cstdint>
#include <string>

class CMsgView : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit CMsgView(QWidget* parent = nullptr);
    ~CMsgView() override;

    // Inserts the text at the caret, replacing a selection. CR LF and lone
    // CR are shown as line breaks. Marks the pane as changed.
    void AddText(const QString& text);
    void AddText(const char* text);
    // The text as a line of its own: it starts on a new line even when the
    // text before it ended without a break (a raw reply), and ends with one.
    void AddLine(const QString& text);
    void AddLine(const char* text);
    // Empties the pane and clears the changed mark.
    void ClearLog();
    // Asks for a file name and writes the whole text there, one line per
    // line of the pane. A file that cannot be written is silently skipped.
    void SaveLog();
    // Writes the text to `path`; false when the file cannot be written.
    bool SaveLogTo(const QString& path) const;

    // True when text came in since the pane was last cleared; "&Clear Log"
    // and "S&ave Log" are enabled exactly then.
    bool IsModified() const { return m_bModified; }

    // The trace log's output callback; the context is the pane.
    static void TraceOutput(std::intptr_t context, const char* line);

signals:
    void modifiedChanged(bool modified);

protected:
    // The usual Copy and Select All, and the pane's own commands.
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void SetModified(bool modified);
    bool m_bModified = false;
    bool m_bPendingCR = false;  // a text ended in CR; an LF starting the next belongs to it
    bool m_bLineOpen = false;   // the last line shown has no break yet
};

// The one message pane while it exists, else nullptr; callers that find it
// empty do nothing.
extern CMsgView* g_pMsgView;
