// The prompt layer: every question, stop box and file-name request of the
// program goes through here. Normally a QMessageBox or QFileDialog answers;
// a test installs a responder instead and answers them itself.
#pragma once

#include <QString>

enum class PromptKind { YesNo, Stop, SaveAs };

struct PromptRequest {
    PromptKind kind = PromptKind::YesNo;
    QString title;
    QString text;        // question or message; the suggested path for SaveAs
    QString filter;      // SaveAs only, e.g. "Text files (*.txt)"
};

class IPromptResponder {
public:
    // YesNo: true for Yes. Stop: the result is ignored. SaveAs: fill `path`
    // and return true, or return false for Cancel.
    virtual bool Answer(const PromptRequest& request, QString& path) = 0;

protected:
    ~IPromptResponder() = default;
};

class CPrompt {
public:
    // A Yes/No question with the question icon; true for Yes.
    static bool AskYesNo(const QString& text, const QString& title);
    // A refusal, with the stop icon and an OK button.
    static void Stop(const QString& text, const QString& title);
    // The file to save to; empty when the user cancelled.
    static QString SaveAs(const QString& title, const QString& suggestedPath, const QString& filter);

    // Installs the responder that answers instead of the user; nullptr
    // goes back to the dialogs. Returns the previous one.
    static IPromptResponder* SetResponder(IPromptResponder* responder);
};
