#pragma once
// The progress window as the engine sees it: long operations open it with a
// caption, set a message, a range and positions, let it handle pending input
// at intervals of their own choosing and poll its cancel flag.
#include <string>

class IProgress {
public:
    virtual ~IProgress() = default;

    // Shows the window with the task title as caption ("Progress" when empty).
    virtual bool open(const std::string& title) = 0;
    virtual void setMessage(const std::string& text) = 0;
    virtual void setRange(long long low, long long high) = 0;
    virtual void setStep(int step) = 0;
    // Moves the bar; returns the previous position.
    virtual long long setPosition(long long pos) = 0;
    // Lets the window handle pending input (repaint, Cancel, Escape).
    virtual void pump() = 0;
    virtual bool cancelled() const = 0;
    virtual void close() = 0;
};

// The state every progress front end shares: title, range, position and the
// whole percent shown in the caption "%s [%d%%]".
class ProgressModel {
public:
    void reset(const std::string& title);
    void setRange(long long low, long long high) { m_nLow = low; m_nHigh = high; }
    void setStep(int step) { m_nStep = step; }
    // Returns the previous position; captionChanged tells whether the percent moved.
    long long setPosition(long long pos, bool* captionChanged = nullptr);
    static int percentOf(long long pos, long long low, long long high);

    const std::string& title() const { return m_strTitle; }
    std::string caption() const;
    long long low() const { return m_nLow; }
    long long high() const { return m_nHigh; }
    long long position() const { return m_nPos; }
    int percent() const { return m_nPercent; }
    int step() const { return m_nStep; }

private:
    std::string m_strTitle = "Progress";
    long long m_nLow = 0, m_nHigh = 100, m_nPos = 0;
    int m_nPercent = 0, m_nStep = 1;
};

// Progress of the engine's long operations goes to the window the front end
// installed; without one it goes nowhere.
IProgress& progress();
void setProgress(IProgress* p);

// Runs a progress window for the lifetime of a scope: open on construction,
// close on every exit path.
class ProgressScope {
public:
    explicit ProgressScope(const std::string& title, const std::string& message = {});
    ~ProgressScope();
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;
    IProgress* operator->() const { return m_p; }
    IProgress& get() const { return *m_p; }

private:
    IProgress* m_p;
};

// The check a long loop makes at step i: every `interval` steps the bar moves
// to i and the window handles pending input. True when Cancel was pressed.
bool cancelledAt(IProgress& p, long long i, int interval);

// Update interval for a loop over `total` units: a tenth of the total, rounded,
// kept within 1..100.
int progressInterval(long long total);
