#pragma once
// The "Evaluation" tab: the within-cluster and between-cluster distances of
// the hierarchical cut the overview shows and of the k-means result, their
// ratio and, when the leaves carry classes, the F-measure; and the log file
// every evaluation appends its line to.
#include <QWidget>
#include <functional>
#include <optional>

#include "app/UpdateHints.h"
#include "cluster/Evaluation.h"

class CArxDoc;
class QLabel;
class QLineEdit;
class QPushButton;

class CEvalCluster final : public QWidget, public CDocObserver {
    Q_OBJECT
public:
    explicit CEvalCluster(QWidget* parent = nullptr);

    void onUpdate(CDocObserver* sender, int hint) override;
    // The panels outlive documents: they ask for the open one.
    void setDocumentSource(std::function<CArxDoc*()> source) { m_docSource = std::move(source); }
    // The minimum similarity of the cut the overview shows.
    void setMinSimilaritySource(std::function<float()> source) { m_minSimilarity = std::move(source); }

    // The fields of one result.
    struct Fields {
        QLineEdit* within = nullptr;   // "Within-cluster"
        QLineEdit* between = nullptr;  // "Between-cluster"
        QLineEdit* ratio = nullptr;
        QLineEdit* fMeasure = nullptr;
        QPushButton* evaluate = nullptr;
    };
    const Fields& hierarchical() const { return m_hier; }
    const Fields& kMeans() const { return m_kmeans; }
    QPushButton* doKMeansButton() const { return m_pDoKMeans; }
    QPushButton* logButton() const { return m_pLogButton; }

    // The buttons' work (the direction is the one the overview shows).
    std::optional<ClusterEvaluation> evaluateHierarchical();
    std::optional<ClusterEvaluation> evaluateKMeans();
    // Opens (appending) or closes the log file; false when it cannot be written.
    bool openLog(const QString& path);
    void closeLog();
    const QString& logPath() const { return m_strLogPath; }

signals:
    // "Do K-means": the main window's K-means Clustering command.
    void kMeansRequested();

private:
    QWidget* makeGroup(const QString& title, Fields& f, bool withKMeans);
    void show(Fields& f, const std::optional<ClusterEvaluation>& e, bool rows);
    void clearFields();
    void onLogButton();
    CArxDoc* doc() const { return m_docSource ? m_docSource() : nullptr; }

    std::function<CArxDoc*()> m_docSource;
    std::function<float()> m_minSimilarity;
    Fields m_hier, m_kmeans;
    QPushButton* m_pDoKMeans = nullptr;
    QPushButton* m_pLogButton = nullptr;
    QLabel* m_pLogLabel = nullptr;
    QString m_strLogPath;
};
