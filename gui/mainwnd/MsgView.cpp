#include "MsgView.h"

#include "Prompt.h"

#include <memory>

#include <QContextMenuEvent>
#include <QFile>
#include <QMenu>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

CMsgView* g_pMsgView = nullptr;

CMsgView::CMsgView(QWidget* parent) : QPlainTextEdit(parent)
{
    g_pMsgView = this;
    setObjectName(QStringLiteral("MsgView"));
    // A log: the user reads, selects and copies it, but does not edit it.
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setUndoRedoEnabled(false);
    QFont fixed = font();
    fixed.setStyleHint(QFont::Monospace);
    fixed.setFamily(QStringLiteral("Monospace"));
    setFont(fixed);
}

CMsgView::~CMsgView()
{
    if (g_pMsgView == this)
        g_pMsgView = nullptr;
    m_bModified = false;
}

void CMsgView::AddText(const char* text)
{
    AddText(QString::fromUtf8(text ? text : ""));
}

void CMsgView::AddLine(const char* text)
{
    AddLine(QString::fromUtf8(text ? text : ""));
}

void CMsgView::AddLine(const QString& text)
{
    if (text.isEmpty())
        return;
    QString line = text;
    if (m_bLineOpen)
        line.prepend(u'\n');
    if (!line.endsWith(u'\n') && !line.endsWith(u'\r'))
        line += u'\n';
    AddText(line);
}

void CMsgView::AddText(const QString& text)
{
    if (text.isEmpty())
        return;
    // Lines arrive with CR LF, server replies sometimes with lone CR or LF,
    // and a text may end between the CR and the LF of one line break.
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'\n') {
            if (m_bPendingCR) {
                m_bPendingCR = false;
                continue;  // the LF of a CR LF whose CR made the break
            }
            shown += u'\n';
        } else if (c == u'\r') {
            shown += u'\n';
            m_bPendingCR = true;
        } else {
            m_bPendingCR = false;
            shown += c;
        }
    }
    // New text goes to the end, whatever the user selected: a selection made
    // to copy part of the log must neither be replaced nor lose its place.
    QScrollBar* bar = verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    end.insertText(shown);
    if (atEnd)
        bar->setValue(bar->maximum());
    if (!shown.isEmpty())
        m_bLineOpen = !shown.endsWith(u'\n');
    SetModified(true);
}

void CMsgView::ClearLog()
{
    clear();
    m_bPendingCR = false;
    m_bLineOpen = false;
    SetModified(false);
}

void CMsgView::SaveLog()
{
    const QString path = CPrompt::SaveAs(QStringLiteral("Save As"), QString(), QString());
    if (path.isEmpty())
        return;
    SaveLogTo(path);
}

bool CMsgView::SaveLogTo(const QString& path) const
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    // One line of the pane per line of the file, each ended by a line break.
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        const bool last = !block.next().isValid();
        if (last && block.text().isEmpty())
            break;
        file.write(block.text().toUtf8());
        file.write("\n");
    }
    return file.error() == QFileDevice::NoError;
}

void CMsgView::contextMenuEvent(QContextMenuEvent* event)
{
    std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    menu->addSeparator();
    QAction* clear = menu->addAction(QStringLiteral("&Clear Log"), this, &CMsgView::ClearLog);
    QAction* save = menu->addAction(QStringLiteral("S&ave Log"), this, &CMsgView::SaveLog);
    clear->setEnabled(m_bModified);
    save->setEnabled(m_bModified);
    menu->exec(event->globalPos());
}

void CMsgView::SetModified(bool modified)
{
    if (m_bModified == modified)
        return;
    m_bModified = modified;
    emit modifiedChanged(modified);
}

void CMsgView::TraceOutput(std::intptr_t context, const char* line)
{
    // Only a pane that still exists takes lines. Each starts a line of its
    // own: a reply shown raw before it must not run into it.
    if (g_pMsgView && reinterpret_cast<CMsgView*>(context) == g_pMsgView)
        g_pMsgView->AddLine(line);
}
