// Dialogs whose OK is checked before it counts (a text says why the fields
// cannot be taken), and which tests answer through a responder instead of
// the user. Both ways meet the same check.
#pragma once

#include "Prompt.h"

#include <QDialog>
#include <QString>

#include <functional>

// Says why OK cannot be taken, in a stop box; true when there was a reason.
inline bool RefuseProblem(const QDialog& dialog, const QString& problem)
{
    if (problem.isEmpty())
        return false;
    CPrompt::Stop(problem, dialog.windowTitle());
    return true;
}

// Shows the dialog modally, or lets the test's responder fill it and answer
// (true for OK); an answered OK still has to pass `problem`.
template <class Dialog, class ProblemOf>
int RunCheckedDialog(Dialog& dialog, const std::function<bool(Dialog&)>& responder, ProblemOf problem)
{
    if (!responder)
        return dialog.exec();
    if (!responder(dialog) || RefuseProblem(dialog, problem()))
        return QDialog::Rejected;
    return QDialog::Accepted;
}
