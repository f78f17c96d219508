#include "platform/RecordingProgress.h"

bool RecordingProgress::open(const std::string& title)
{
    m_model.reset(title);
    m_titles.push_back(title);
    ++m_nOpens;
    m_bOpenNow = true;
    return true;
}

long long RecordingProgress::setPosition(long long pos)
{
    bool changed = false;
    long long old = m_model.setPosition(pos, &changed);
    if (changed)
        m_captions.push_back(m_model.caption());
    return old;
}

void RecordingProgress::pump()
{
    ++m_nPumps;
    if (m_nCancelAfter >= 0 && m_nPumps >= m_nCancelAfter)
        m_bCancelled = true;
}
