#pragma once
// The cut-quality chart of the Evaluation tab: the number of clusters, of
// alones, the F-measure against the leaf classes and the within/between
// ratio of the cut at every step of the minimum similarity, each a line on
// an axis of its own, with the overview's bar as a vertical line. The
// profile is computed on a thread of its own as soon as a clustering exists;
// a newer clustering cancels it. A click moves the bar to the nearest step.
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "app/UpdateHints.h"
#include "cluster/CutProfile.h"
#include "cluster/ProfileChartLayout.h"

class CArxDoc;

class CCutProfileChart final : public QWidget, public CDocObserver {
    Q_OBJECT
public:
    // The batch run's steps: k / 100.
    static constexpr int kSteps = 100;
    static constexpr int kMinimumChartHeight = 240;

    explicit CCutProfileChart(QWidget* parent = nullptr);
    ~CCutProfileChart() override;

    void setDocumentSource(std::function<CArxDoc*()> source) { m_docSource = std::move(source); }
    // The minimum similarity of the overview's bar.
    void setMinSimilaritySource(std::function<float()> source) { m_minSimilarity = std::move(source); }
    // Moves the overview's bar to a minimum similarity.
    void setBarMover(std::function<void(float)> mover) { m_moveBar = std::move(mover); }

    void onUpdate(CDocObserver* sender, int hint) override;
    // Cancels a running computation and starts one for the forest the
    // overview shows (nothing when it is not clustered).
    void restart();

    // ---- state for tests ----
    bool computing() const { return m_bRunning; }
    bool hasProfile() const { return m_bHaveResult; }
    const std::vector<CutProfileStep>& profile() const { return m_profile; }
    // Computations started, and those that ended cancelled.
    int started() const { return m_nGeneration; }
    int cancelled() const { return m_pCancelledCount->load(); }
    const ProfileChartLayout& chartLayout() const { return m_layout; }
    const QImage& image() const { return m_image; }
    // The similarity a click at x moves the bar to: the nearest step, kept
    // strictly between 0 and 1 as the bar is.
    float similarityForClick(int x) const;
    // The series' line colours.
    static QColor seriesColour(int series);

signals:
    void profileReady();

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;

private:
    void stop();
    void finished(int generation, std::optional<std::vector<CutProfileStep>> result);
    void render();
    void drawChart(QPainter& p);
    CArxDoc* doc() const { return m_docSource ? m_docSource() : nullptr; }

    std::function<CArxDoc*()> m_docSource;
    std::function<float()> m_minSimilarity;
    std::function<void(float)> m_moveBar;

    std::thread m_worker;
    std::shared_ptr<std::atomic<bool>> m_pCancel;
    std::shared_ptr<std::atomic<double>> m_pProgress;
    std::shared_ptr<std::atomic<int>> m_pCancelledCount = std::make_shared<std::atomic<int>>(0);
    QTimer m_progressTimer;
    int m_nGeneration = 0;
    bool m_bRunning = false;
    bool m_bHaveResult = false;
    bool m_bClustered = false;
    bool m_bClasses = false;

    std::vector<CutProfileStep> m_profile;
    ProfileAxes m_axes;
    ProfileChartLayout m_layout;
    QImage m_image;
};
