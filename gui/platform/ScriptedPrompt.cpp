#include "ScriptedPrompt.h"

CScriptedPrompt::CScriptedPrompt()
    : m_pPrevious(CPrompt::SetResponder(this))
{
}

CScriptedPrompt::~CScriptedPrompt()
{
    CPrompt::SetResponder(m_pPrevious);
}

bool CScriptedPrompt::Answer(const PromptRequest& request, QString& path)
{
    m_requests.push_back(request);
    switch (request.kind) {
    case PromptKind::YesNo: {
        if (m_yesNo.empty())
            return false;
        const bool yes = m_yesNo.front();
        m_yesNo.pop_front();
        return yes;
    }
    case PromptKind::SaveAs:
        if (m_paths.empty())
            return false;
        path = m_paths.front();
        m_paths.pop_front();
        return !path.isEmpty();
    case PromptKind::TextEntry: {
        if (m_texts.empty())
            return false;
        const QString text = m_texts.front();
        m_texts.pop_front();
        if (text.isNull())
            return false;
        path = text;
        return true;
    }
    case PromptKind::Choice: {
        if (m_choices.empty())
            return false;
        const bool first = m_choices.front();
        m_choices.pop_front();
        return first;
    }
    case PromptKind::Stop:
        break;
    }
    return true;
}
