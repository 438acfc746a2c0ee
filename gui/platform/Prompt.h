// The prompt layer: every question, stop box and file-name request of the
// program goes through here. Normally a QMessageBox or QFileDialog answers;
// a test installs a responder instead and answers them itself.
#pragma once

#include <QString>

enum class PromptKind { YesNo, Stop, SaveAs, TextEntry, Choice };

struct PromptRequest {
    PromptKind kind = PromptKind::YesNo;
    QString title;
    QString text;        // question or message; the suggested path for SaveAs;
                         // the field's label for TextEntry
    QString filter;      // SaveAs only, e.g. "Text files (*.txt)"
    QString initial;     // TextEntry only: the text the field starts with
    QString first;       // Choice only: the two buttons' texts; the first
    QString second;      // is the default
};

class IPromptResponder {
public:
    // YesNo: true for Yes. Stop: the result is ignored. SaveAs and
    // TextEntry: fill `path` (the path or the text) and return true, or
    // return false for Cancel. Choice: true for the first button.
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
    // A one-line text field with OK and Cancel, starting with `text`; true
    // and the edited text in `text` for OK, false for Cancel.
    static bool GetText(const QString& title, const QString& label, QString& text);
    // A question with two named buttons; true for the first. Closing the
    // box counts as the second.
    static bool Choose(const QString& text, const QString& title, const QString& first, const QString& second);

    // Installs the responder that answers instead of the user; nullptr
    // goes back to the dialogs. Returns the previous one.
    static IPromptResponder* SetResponder(IPromptResponder* responder);
};
