#pragma once
#include "platform/Progress.h"

// Progress for the command line: a bar on standard error when it is a
// terminal, nothing otherwise. Never cancelled.
class ConsoleProgress final : public IProgress {
public:
    ConsoleProgress();
    bool open(const std::string& title) override;
    void setMessage(const std::string& text) override;
    void setRange(long long low, long long high) override { m_model.setRange(low, high); }
    void setStep(int step) override { m_model.setStep(step); }
    long long setPosition(long long pos) override;
    void pump() override {}
    bool cancelled() const override { return false; }
    void close() override;

private:
    void draw();
    ProgressModel m_model;
    std::string m_strMessage;
    bool m_bTerminal;
    bool m_bOpen = false;
};
