#pragma once
#include <string>
#include <vector>

#include "platform/Progress.h"

// Progress for tests: records what an operation showed and can press Cancel
// after a given number of pumps (or at once, with cancelAfterPumps = 0).
class RecordingProgress final : public IProgress {
public:
    bool open(const std::string& title) override;
    void setMessage(const std::string& text) override { m_messages.push_back(text); }
    void setRange(long long low, long long high) override { m_model.setRange(low, high); }
    void setStep(int step) override { m_model.setStep(step); }
    long long setPosition(long long pos) override;
    void pump() override;
    bool cancelled() const override { return m_bCancelled; }
    void close() override { ++m_nCloses; m_bOpenNow = false; }

    void cancelAfterPumps(int n) { m_nCancelAfter = n; m_bCancelled = n == 0; }

    std::vector<std::string> m_titles;
    std::vector<std::string> m_messages;
    std::vector<std::string> m_captions;
    int m_nOpens = 0, m_nCloses = 0, m_nPumps = 0;
    bool m_bOpenNow = false;
    ProgressModel m_model;

private:
    int m_nCancelAfter = -1;
    bool m_bCancelled = false;
};

// Installs a recording progress for the lifetime of a scope.
class ScopedRecordingProgress {
public:
    ScopedRecordingProgress() { setProgress(&m_rec); }
    ~ScopedRecordingProgress() { setProgress(nullptr); }
    RecordingProgress* operator->() { return &m_rec; }
    RecordingProgress& get() { return m_rec; }

private:
    RecordingProgress m_rec;
};
