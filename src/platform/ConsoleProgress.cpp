#include "platform/ConsoleProgress.h"

#include <cstdio>
#include <unistd.h>

ConsoleProgress::ConsoleProgress() : m_bTerminal(isatty(STDERR_FILENO) != 0) {}

bool ConsoleProgress::open(const std::string& title)
{
    m_model.reset(title);
    m_strMessage.clear();
    m_bOpen = true;
    draw();
    return true;
}

void ConsoleProgress::setMessage(const std::string& text)
{
    m_strMessage = text;
    draw();
}

long long ConsoleProgress::setPosition(long long pos)
{
    bool changed = false;
    long long old = m_model.setPosition(pos, &changed);
    if (changed)
        draw();
    return old;
}

void ConsoleProgress::close()
{
    if (m_bOpen && m_bTerminal)
        std::fprintf(stderr, "\r\033[K");
    m_bOpen = false;
}

void ConsoleProgress::draw()
{
    if (!m_bTerminal || !m_bOpen)
        return;
    int percent = m_model.percent();
    if (percent < 0)
        percent = 0;
    if (percent > 100)
        percent = 100;
    char bar[31];
    int filled = percent * 30 / 100;
    for (int i = 0; i < 30; ++i)
        bar[i] = i < filled ? '#' : '.';
    bar[30] = 0;
    std::string msg = m_strMessage.size() > 40 ? m_strMessage.substr(0, 37) + "..." : m_strMessage;
    std::fprintf(stderr, "\r\033[K[%s] %3d%% %s", bar, percent, msg.c_str());
    std::fflush(stderr);
}
