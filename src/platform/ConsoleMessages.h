#pragma once
#include "platform/Messages.h"

// Messages for the command line: printed to standard error; questions take
// the answer given at construction (Yes by default, so batch runs proceed).
class ConsoleMessages final : public IMessages {
public:
    explicit ConsoleMessages(Answer answer = Answer::Yes) : m_answer(answer) {}
    void message(const std::string& text, const std::string& caption = {}) override;
    Answer question(const std::string& text, const std::string& caption = {}) override;

private:
    Answer m_answer;
};
