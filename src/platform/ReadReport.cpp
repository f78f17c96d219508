#include "platform/ReadReport.h"

#include <algorithm>

#include "platform/Format.h"
#include "platform/Messages.h"

namespace {
WarningBatch* g_batch = nullptr;
int g_droppedReads = 0;
} // namespace

void ReadReport::warn(int line, std::string what, bool dropped)
{
    ++m_nCount;
    m_bDropped = m_bDropped || dropped;
    if (m_warnings.size() < kKept)
        m_warnings.emplace_back(line, std::move(what));
}

void ReadReport::merge(const ReadReport& other)
{
    m_nCount += other.m_nCount;
    m_bDropped = m_bDropped || other.m_bDropped;
    for (const auto& w : other.m_warnings)
        if (m_warnings.size() < kKept)
            m_warnings.push_back(w);
}

std::string ReadReport::warningText() const
{
    if (m_nCount == 0)
        return {};
    std::vector<std::pair<int, std::string>> sorted = m_warnings;
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string text = strFormat("%s: %d warning%s", m_strPath.c_str(), m_nCount, m_nCount == 1 ? "" : "s");
    const size_t shown = std::min(sorted.size(), static_cast<size_t>(kShown));
    for (size_t i = 0; i < shown; ++i) {
        text += '\n';
        if (sorted[i].first > 0)
            text += strFormat("line %d: ", sorted[i].first);
        text += sorted[i].second;
    }
    if (static_cast<size_t>(m_nCount) > shown)
        text += strFormat("\n... and %d more.", m_nCount - static_cast<int>(shown));
    return text;
}

void ReadReport::report() const
{
    if (m_nCount == 0)
        return;
    if (m_bDropped)
        ++g_droppedReads;
    if (g_batch)
        g_batch->m_texts.push_back(warningText());
    else
        showMessage(warningText());
}

std::string ReadReport::refusal(const std::string& path, int line, const std::string& reason)
{
    return line > 0 ? strFormat("%s, line %d: %s", path.c_str(), line, reason.c_str()) : path + ": " + reason;
}

bool ReadReport::refuse(const std::string& path, int line, const std::string& reason)
{
    showMessage(refusal(path, line, reason));
    return false;
}

WarningBatch::WarningBatch() : m_pOuter(g_batch) { g_batch = this; }

WarningBatch::~WarningBatch()
{
    g_batch = m_pOuter;
    if (m_pOuter)
        m_pOuter->m_texts.insert(m_pOuter->m_texts.end(), m_texts.begin(), m_texts.end());
    else
        flush();
}

void WarningBatch::flush()
{
    if (m_texts.empty())
        return;
    std::string text;
    for (const std::string& t : m_texts)
        text += (text.empty() ? "" : "\n\n") + t;
    m_texts.clear();
    showMessage(text);
}

int droppedReads() { return g_droppedReads; }
