#pragma once
// The "Scatterplot Ordering" tab: every pair of variables scored by a chosen
// criterion, listed in rank order, shown all at once in the score overview
// and one at a time in the scatterplot view. Choosing a pair in the list,
// the overview or with the X and Y sliders makes it the current pair of all
// three and the document's selected variables (hint 3004). With "Cluster
// Similarity" the clusters of two picked dendrograms are compared instead.
#include <QAbstractTableModel>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "app/UpdateHints.h"
#include "cluster/ui/CPickDendrogramsDlg.h"
#include "rank/PairScoring.h"

class CArxDoc;
class CScatterPlotView;
class CSetCompareView;
class CSquarePrismView;
struct DisplaySettings;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMdiSubWindow;
class QPushButton;
class QRadioButton;
class QSlider;
class QStackedWidget;
class QTableView;

// The ordered list over the panel's pair table: "Rank", "X axis", "Y axis"
// and the score ("Score", or "Error" for the two error criteria).
class CPairListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    void setTable(PairTable* table, const std::vector<std::string>* names);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Sorts by a column (names as text, numbers as numbers).
    void sortBy(int column, bool ascending);

private:
    PairTable* m_pTable = nullptr;
    const std::vector<std::string>* m_pNames = nullptr;
};

class CVisualGuide final : public QWidget, public CDocObserver {
    Q_OBJECT
public:
    enum Source { kFromScoring = 0, kFromOverview = 1, kFromList = 2, kFromView = 3 };

    explicit CVisualGuide(QWidget* parent = nullptr);
    ~CVisualGuide() override;

    // ---- plugging in ----
    void setDocumentSource(std::function<CArxDoc*()> source);
    CArxDoc* doc() const { return m_docSource ? m_docSource() : nullptr; }
    void setDisplaySettings(const DisplaySettings* settings);
    // Opens a chart window around a view (the main frame's chart windows).
    using ChartOpener = std::function<QMdiSubWindow*(QWidget* view, CDocObserver* observer, const QString& title)>;
    void setChartOpener(ChartOpener opener) { m_chartOpener = std::move(opener); }
    // The open dendrogram views, for "Cluster Similarity".
    void setDendrogramSource(std::function<std::vector<CPickDendrogramsDlg::Dendrogram>()> source)
    {
        m_dendrogramSource = std::move(source);
    }
    // "Properties" of a scatterplot view's context menu.
    void setPropertiesOpener(std::function<void()> opener) { m_propertiesOpener = std::move(opener); }

    void onUpdate(CDocObserver* sender, int hint) override;

    // ---- operations ----
    // Chooses a criterion as the box does (scoring, waiting for a region,
    // or the dendrogram dialog).
    void chooseCriterion(int criterion);
    // Scores every pair by the current criterion (0-7).
    void scoreAll();
    // The single place where the current pair changes.
    void selectPair(int source, int x, int y);
    // "Make Views": a chart window per selected row, then the selection is cleared.
    void makeViews();
    // A chart window for a list row; nullptr after "Cannot create a scatterplot window!".
    QMdiSubWindow* openChart(int row);

    // ---- state, for the windows around it and for tests ----
    int criterion() const { return m_nCriterion; }
    const PairTable& table() const { return m_table; }
    int currentX() const { return m_nX; }
    int currentY() const { return m_nY; }
    int previousX() const { return m_nPrevX; }
    int previousY() const { return m_nPrevY; }
    QComboBox* criterionBox() const { return m_pCriterion; }
    QLabel* description() const { return m_pDescription; }
    QGroupBox* roiGroup() const { return m_pRoiGroup; }
    QRadioButton* roiButton(int type) const { return m_pRoi[type - 1]; }
    QTableView* list() const { return m_pList; }
    CPairListModel* model() const { return m_pModel; }
    CSquarePrismView* overview() const { return m_pOverview; }
    CScatterPlotView* scatterView() const { return m_pView; }
    CSetCompareView* setView() const { return m_pSetView; }
    QPushButton* makeViewsButton() const { return m_pMakeViews; }
    QCheckBox* originalBox() const { return m_pOriginal; }
    // Which values the chart shows, under "Use Original Values".
    QLabel* valuesShownLabel() const { return m_pValuesShown; }
    QCheckBox* ignoreMissingBox() const { return m_pIgnoreMissing; }
    QCheckBox* sameScaleBox() const { return m_pSameScale; }
    QSlider* xSlider() const { return m_pXSlider; }
    QSlider* ySlider() const { return m_pYSlider; }
    QLabel* xLabel() const { return m_pXName; }
    QLabel* yLabel() const { return m_pYName; }

private:
    void initialise();
    void clearAll();
    void showTable(bool selectTop = true);
    void fillNoOrder(bool selectTop = true);
    void compareDendrograms();
    void showRecord(int x, int y);
    void sliderMoved();
    void listRowChanged(int row);
    void roiTypeChanged();
    void rescore();
    void updateSliders();
    PairSettings settings() const;

    std::function<CArxDoc*()> m_docSource;
    ChartOpener m_chartOpener;
    std::function<std::vector<CPickDendrogramsDlg::Dendrogram>()> m_dendrogramSource;
    std::function<void()> m_propertiesOpener;
    const DisplaySettings* m_pSettings = nullptr;

    PairTable m_table;
    std::vector<std::string> m_names;
    const void* m_pData = nullptr;  // the matrix the panel was built for
    int m_nCriterion = kPairNoOrder;
    int m_nX = -1, m_nY = -1, m_nPrevX = -1, m_nPrevY = -1;
    bool m_bUpdating = false;
    int m_nSortColumn = -1;
    bool m_bSortAscending = true;

    QComboBox* m_pCriterion;
    QLabel* m_pDescription;
    QGroupBox* m_pRoiGroup;
    QRadioButton* m_pRoi[3];
    CSquarePrismView* m_pOverview;
    QTableView* m_pList;
    CPairListModel* m_pModel;
    QPushButton* m_pMakeViews;
    QCheckBox* m_pSameScale;
    QCheckBox* m_pOriginal;
    QLabel* m_pValuesShown;
    void showValuesShown();
    QCheckBox* m_pIgnoreMissing;
    QStackedWidget* m_pStack;
    CScatterPlotView* m_pView;
    CSetCompareView* m_pSetView;
    QSlider* m_pXSlider;
    QSlider* m_pYSlider;
    QLabel* m_pXName;
    QLabel* m_pYName;
    QWidget* m_pSliders;
};
