#include "platform/Progress.h"

#include <cmath>

#include "platform/Format.h"

namespace {
class SilentProgress final : public IProgress {
public:
    bool open(const std::string&) override { return true; }
    void setMessage(const std::string&) override {}
    void setRange(long long, long long) override {}
    void setStep(int) override {}
    long long setPosition(long long pos) override { long long old = m_pos; m_pos = pos; return old; }
    void pump() override {}
    bool cancelled() const override { return false; }
    void close() override {}

private:
    long long m_pos = 0;
};

SilentProgress g_silent;
IProgress* g_progress = &g_silent;
} // namespace

IProgress& progress() { return *g_progress; }
void setProgress(IProgress* p) { g_progress = p ? p : &g_silent; }

void ProgressModel::reset(const std::string& title)
{
    m_strTitle = title.empty() ? std::string("Progress") : title;
    m_nLow = 0;
    m_nHigh = 100;
    m_nPos = 0;
    m_nPercent = 0;
}

int ProgressModel::percentOf(long long pos, long long low, long long high)
{
    if (high <= low)
        return 0;
    return static_cast<int>(std::trunc(static_cast<double>(pos) * 100.0 / static_cast<double>(high - low) + 0.5));
}

long long ProgressModel::setPosition(long long pos, bool* captionChanged)
{
    long long old = m_nPos;
    m_nPos = pos;
    int percent = percentOf(pos, m_nLow, m_nHigh);
    bool changed = percent != m_nPercent;
    m_nPercent = percent;
    if (captionChanged)
        *captionChanged = changed;
    return old;
}

std::string ProgressModel::caption() const
{
    if (m_nPercent == 0 && m_nPos == 0)
        return m_strTitle;
    return strFormat("%s [%d%%]", m_strTitle.c_str(), m_nPercent);
}

ProgressScope::ProgressScope(const std::string& title, const std::string& message) : m_p(&progress())
{
    m_p->open(title);
    if (!message.empty())
        m_p->setMessage(message);
}

ProgressScope::~ProgressScope() { m_p->close(); }

bool cancelledAt(IProgress& p, long long i, int interval)
{
    if (interval > 1 && i % interval != 0)
        return false;
    p.setPosition(i);
    p.pump();
    return p.cancelled();
}

int progressInterval(long long total)
{
    long long n = std::llround(static_cast<double>(total) * 0.1);
    if (n < 1)
        n = 1;
    if (n > 100)
        n = 100;
    return static_cast<int>(n);
}
