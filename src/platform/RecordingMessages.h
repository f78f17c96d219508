#pragma once
#include <deque>
#include <string>
#include <vector>

#include "platform/Messages.h"

// Messages for tests: records every text and answers questions from a script
// (Yes once the script runs out).
class RecordingMessages final : public IMessages {
public:
    void message(const std::string& text, const std::string& caption = {}) override
    {
        m_texts.push_back(text);
        m_captions.push_back(caption);
    }
    Answer question(const std::string& text, const std::string& caption = {}) override
    {
        m_questions.push_back(text);
        m_questionCaptions.push_back(caption);
        if (m_answers.empty())
            return Answer::Yes;
        Answer a = m_answers.front();
        m_answers.pop_front();
        return a;
    }

    std::vector<std::string> m_texts;
    std::vector<std::string> m_captions;
    std::vector<std::string> m_questions;
    std::vector<std::string> m_questionCaptions;
    std::deque<Answer> m_answers;
};

// Installs a recording message sink for the lifetime of a scope.
class ScopedRecordingMessages {
public:
    ScopedRecordingMessages() { setMessages(&m_rec); }
    ~ScopedRecordingMessages() { setMessages(nullptr); }
    RecordingMessages* operator->() { return &m_rec; }
    RecordingMessages& get() { return m_rec; }

private:
    RecordingMessages m_rec;
};
