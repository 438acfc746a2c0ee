#include "Prompt.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

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
        return g_pResponder->Answer({PromptKind::YesNo, title, text, {}, {}, {}, {}}, unused);
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
        g_pResponder->Answer({PromptKind::Stop, title, text, {}, {}, {}, {}}, unused);
        return;
    }
    if (CanShowDialogs())
        QMessageBox::critical(DialogParent(), title, text);
}

QString CPrompt::SaveAs(const QString& title, const QString& suggestedPath, const QString& filter)
{
    if (g_pResponder) {
        QString path;
        return g_pResponder->Answer({PromptKind::SaveAs, title, suggestedPath, filter, {}, {}, {}}, path) ? path : QString();
    }
    if (!CanShowDialogs())
        return {};
    return QFileDialog::getSaveFileName(DialogParent(), title, suggestedPath, filter);
}

bool CPrompt::GetText(const QString& title, const QString& label, QString& text)
{
    if (g_pResponder) {
        QString answer;
        PromptRequest request{PromptKind::TextEntry, title, label, {}, text, {}, {}};
        if (!g_pResponder->Answer(request, answer))
            return false;
        text = answer;
        return true;
    }
    if (!CanShowDialogs())
        return false;
    bool ok = false;
    const QString answer = QInputDialog::getText(DialogParent(), title, label, QLineEdit::Normal, text, &ok);
    if (ok)
        text = answer;
    return ok;
}

bool CPrompt::Choose(const QString& text, const QString& title, const QString& first, const QString& second)
{
    if (g_pResponder) {
        QString unused;
        return g_pResponder->Answer({PromptKind::Choice, title, text, {}, {}, first, second}, unused);
    }
    if (!CanShowDialogs())
        return false;
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, DialogParent());
    QPushButton* firstButton = box.addButton(first, QMessageBox::AcceptRole);
    QPushButton* secondButton = box.addButton(second, QMessageBox::RejectRole);
    box.setDefaultButton(firstButton);
    box.setEscapeButton(secondButton);
    box.exec();
    return box.clickedButton() == firstButton;
}
