#include "Prompt.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace {

IPromptResponder* g_pResponder = nullptr;

// Dialogs need a widget application; without one (a console run) nobody can
// answer, and the cautious answer is taken.
bool CanShowDialogs()
{
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

QWidget* DialogParent()
{
    return QApplication::activeWindow();
}

}  // namespace

IPromptResponder* CPrompt::SetResponder(IPromptResponder* responder)
{
    IPromptResponder* previous = g_pResponder;
    g_pResponder = responder;
    return previous;
}

bool CPrompt::AskYesNo(const QString& text, const QString& title)
{
    if (g_pResponder) {
        QString unused;
        return g_pResponder->Answer({PromptKind::YesNo, title, text, {}}, unused);
    }
    if (!CanShowDialogs())
        return false;
    return QMessageBox::question(DialogParent(), title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
           == QMessageBox::Yes;
}

void CPrompt::Stop(const QString& text, const QString& title)
{
    if (g_pResponder) {
        QString unused;
        g_pResponder->Answer({PromptKind::Stop, title, text, {}}, unused);
        return;
    }
    if (CanShowDialogs())
        QMessageBox::critical(DialogParent(), title, text);
}

QString CPrompt::SaveAs(const QString& title, const QString& suggestedPath, const QString& filter)
{
    if (g_pResponder) {
        QString path;
        return g_pResponder->Answer({PromptKind::SaveAs, title, suggestedPath, filter}, path) ? path : QString();
    }
    if (!CanShowDialogs())
        return {};
    return QFileDialog::getSaveFileName(DialogParent(), title, suggestedPath, filter);
}
