// A prompt responder for tests: answers from a queue set up in advance and
// records every request, so a test can check what the user would have seen.
#pragma once

#include "Prompt.h"

#include <deque>
#include <vector>

class CScriptedPrompt : public IPromptResponder {
public:
    // Installs itself for its lifetime.
    CScriptedPrompt();
    ~CScriptedPrompt();
    CScriptedPrompt(const CScriptedPrompt&) = delete;
    CScriptedPrompt& operator=(const CScriptedPrompt&) = delete;

    // Yes/No answers, used in order; when they run out the answer is No.
    void QueueYesNo(bool yes) { m_yesNo.push_back(yes); }
    // Save As answers, used in order; an empty path is Cancel, and so is
    // running out.
    void QueueSaveAs(const QString& path) { m_paths.push_back(path); }
    // Text entry answers, used in order; a null QString is Cancel, and so
    // is running out.
    void QueueText(const QString& text) { m_texts.push_back(text); }
    // Two-button choices: true for the first button; running out answers
    // with the second.
    void QueueChoice(bool first) { m_choices.push_back(first); }

    const std::vector<PromptRequest>& Requests() const { return m_requests; }

    bool Answer(const PromptRequest& request, QString& path) override;

private:
    IPromptResponder* m_pPrevious = nullptr;
    std::deque<bool> m_yesNo;
    std::deque<QString> m_paths;
    std::deque<QString> m_texts;
    std::deque<bool> m_choices;
    std::vector<PromptRequest> m_requests;
};
