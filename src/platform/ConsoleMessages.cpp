#include "platform/ConsoleMessages.h"

#include <cstdio>

void ConsoleMessages::message(const std::string& text, const std::string& caption)
{
    if (!caption.empty())
        std::fprintf(stderr, "%s: ", caption.c_str());
    std::fprintf(stderr, "%s\n", text.c_str());
}

Answer ConsoleMessages::question(const std::string& text, const std::string& caption)
{
    message(text, caption);
    std::fprintf(stderr, "-> %s\n", m_answer == Answer::Yes ? "Yes" : m_answer == Answer::No ? "No" : "Cancel");
    return m_answer;
}
