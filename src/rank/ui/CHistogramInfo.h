#pragma once
// The "Histogram Ordering" tab: ranks every variable by a one-variable
// criterion. The criterion box with its description, "Use Original Values",
// the three display choices of the chart, the score overview strip, the
// ordered list (a model over the ordering, so that tens of thousands of
// variables stay fast), "Transpose -->", "Make Views", the chart of the
// current variable and the variable slider. Choosing a variable in the
// strip, the list or the slider goes through selectVariable, the single
// place where the current variable changes (hint 3006).
#include <QAbstractTableModel>
#include <QWidget>
#include <array>
#include <functional>

#include "app/UpdateHints.h"
#include "rank/HistogramOrdering.h"

class CArxDoc;
class CColorListView;
class CControlPlotView;
struct DisplaySettings;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QTableView;

// The ordered list's rows and texts, straight from the ordering.
class CHistogramListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CHistogramListModel(const HistogramOrdering& ordering, QObject* parent = nullptr)
        : QAbstractTableModel(parent), m_ordering(ordering)
    {}
    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : m_ordering.rowCount(); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : kHistogramListColumns; }
    // Cells are empty while this says no (the data the ordering points at is going away).
    void setValidity(std::function<bool()> valid) { m_valid = std::move(valid); }
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void refresh()
    {
        beginResetModel();
        endResetModel();
    }

private:
    const HistogramOrdering& m_ordering;
    std::function<bool()> m_valid;
};

class CHistogramInfo final : public QWidget, public CDocObserver {
    Q_OBJECT
public:
    // Which part caused a change of the current variable.
    enum Source { kFromScoring = 0, kFromStrip = 1, kFromList = 2, kFromSlider = 3 };

    explicit CHistogramInfo(QWidget* parent = nullptr);
    void setDocumentSource(std::function<CArxDoc*()> source);
    CArxDoc* doc() const { return m_docSource ? m_docSource() : nullptr; }
    void setSettings(const DisplaySettings* settings);
    // Opens a chart window for a variable (column, source, control plot, histogram, CDF).
    using ChartOpener = std::function<void(int, bool, bool, bool, bool)>;
    void setChartOpener(ChartOpener opener) { m_openChart = std::move(opener); }
    void setPropertiesHandler(std::function<void()> handler) { m_properties = std::move(handler); }

    void onUpdate(CDocObserver* sender, int hint) override;

    // ---- operations ----
    // Builds the records of the current data (on data load).
    void initialise();
    // Scores by criterion 0..5 (the criterion box does this).
    void score(int criterion);
    // The single place where the current variable changes.
    void selectVariable(int source, int column);
    // "Make Views": a chart window for every selected row, then no selection.
    void makeViews();
    // "Transpose -->".
    void transpose();

    // ---- parts, for tests ----
    const HistogramOrdering& ordering() const { return m_ordering; }
    int currentVariable() const { return m_nCurrent; }
    QComboBox* criterionBox() const { return m_pCriterion; }
    QLabel* descriptionLabel() const { return m_pDescription; }
    QCheckBox* originalBox() const { return m_pOriginal; }
    // Which values the chart shows, under "Use Original Values".
    QLabel* valuesShownLabel() const { return m_pValuesShown; }
    QCheckBox* controlPlotBox() const { return m_pShowControlPlot; }
    QCheckBox* histogramBox() const { return m_pShowHistogram; }
    QCheckBox* cdfBox() const { return m_pShowCdf; }
    CColorListView* strip() const { return m_pStrip; }
    QTableView* list() const { return m_pList; }
    CHistogramListModel* model() const { return m_pModel; }
    QPushButton* transposeButton() const { return m_pTranspose; }
    QPushButton* makeViewsButton() const { return m_pMakeViews; }
    QSlider* slider() const { return m_pSlider; }
    CControlPlotView* chart() const { return m_pChart; }
    // A header click on a list column.
    void sortByHeader(int listColumn);

    // Whether the records belong to the open document's loaded data (not
    // while a document closes or the next file is read).
    bool dataValid() const;

private:
    void refreshList();
    void refreshStrip();
    void clearAll();
    void showListRow(int column);

    std::function<CArxDoc*()> m_docSource;
    HistogramOrdering m_ordering;
    bool m_bNeedBuild = true;
    int m_nCurrent = -1;
    bool m_bUpdating = false;
    std::array<bool, kHistogramListColumns> m_sortAscending{};
    ChartOpener m_openChart;
    std::function<void()> m_properties;

    QComboBox* m_pCriterion;
    QLabel* m_pDescription;
    QCheckBox* m_pOriginal;
    QLabel* m_pValuesShown;
    void showValuesShown();
    QCheckBox* m_pShowControlPlot;
    QCheckBox* m_pShowHistogram;
    QCheckBox* m_pShowCdf;
    CColorListView* m_pStrip;
    QTableView* m_pList;
    CHistogramListModel* m_pModel;
    QPushButton* m_pTranspose;
    QPushButton* m_pMakeViews;
    QSlider* m_pSlider;
    QLabel* m_pSliderName;
    CControlPlotView* m_pChart;
};
