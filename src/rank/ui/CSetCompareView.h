#pragma once
// The set comparison of two dendrograms' cuts: cluster i of the first
// against cluster j of the second, picked with two sliders ("Row Cluster
// %d", "Column Cluster %d"). Two bars stand for the clusters, overlapping by
// the items they share, with the counts, precision, recall and F-measure.
#include <QImage>
#include <QWidget>
#include <vector>

class QLabel;
class QSlider;

class CSetCompareView final : public QWidget {
    Q_OBJECT
public:
    explicit CSetCompareView(QWidget* parent = nullptr);

    // The clusters of the two cuts as sorted item lists.
    void setClusters(std::vector<std::vector<int>> first, std::vector<std::vector<int>> second);
    void clear() { setClusters({}, {}); }
    // Shows cluster i of the first and j of the second (the sliders follow
    // without signalling).
    void setPair(int first, int second);
    int firstCluster() const { return m_nFirst; }
    int secondCluster() const { return m_nSecond; }
    QSlider* firstSlider() const { return m_pFirstSlider; }
    QSlider* secondSlider() const { return m_pSecondSlider; }
    QString firstLabel() const;
    QString secondLabel() const;
    // Items of both, of the first only and of the second only.
    int shared() const { return m_nShared; }
    const QImage& image() const { return m_image; }

signals:
    // A slider picked another pair.
    void pairChanged(int first, int second);

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    void recount();
    void render();

    std::vector<std::vector<int>> m_first, m_second;
    int m_nFirst = -1, m_nSecond = -1, m_nShared = 0;
    QSlider* m_pFirstSlider;
    QSlider* m_pSecondSlider;
    QLabel* m_pFirstLabel;
    QLabel* m_pSecondLabel;
    QWidget* m_pCanvas;
    QImage m_image;
};
