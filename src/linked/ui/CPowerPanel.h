#pragma once
// The "Power Calculation & Filtering" panel: groups of samples, the one- or
// two-sample model, the target F and the sliders of the other inputs,
// "Calculate", the filter by F with the result list, "&Highlight", "->>",
// "&Export", and the present-call filter.
#include <QAbstractTableModel>
#include <QWidget>
#include <functional>
#include <vector>

#include "app/UpdateHints.h"
#include "linked/PowerCalc.h"

class CArxDoc;
class CRubberSlider;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QTableView;
class QTreeWidget;
class QTreeWidgetItem;

// The result list "Resulting Probe Sets" over the listed rows.
class CPowerResultModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    void setResult(const DataMatrix* data, const PowerRun* run, std::vector<int> rows);
    const std::vector<int>& rows() const { return m_rows; }
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const DataMatrix* m_pData = nullptr;
    const PowerRun* m_pRun = nullptr;
    std::vector<int> m_rows;
};

class CPowerPanel final : public QWidget, public CDocObserver {
    Q_OBJECT
public:
    static constexpr int kFilterSteps = 1000;

    explicit CPowerPanel(QWidget* parent = nullptr);
    void setDocumentSource(std::function<CArxDoc*()> source) { m_docSource = std::move(source); }
    CArxDoc* doc() const { return m_docSource ? m_docSource() : nullptr; }
    void onUpdate(CDocObserver* sender, int hint) override;
    // Fills the sample list from the open data (groups back to their start).
    void refill();

    // ---- groups ----
    QTreeWidget* groupTree() const { return m_pGroups; }
    QTreeWidget* sampleList() const { return m_pSamples; }
    // The value columns of a group (0 first, 1 second).
    std::vector<int> groupColumns(int group) const;
    // "->": the selected samples into the selected group ("Select a group
    // first" without one); "<-", "<<-", "New\nGroup", "Delete\nGroup".
    void moveToGroup();
    void moveBack();
    void moveAllBack();
    void newGroup();
    void deleteGroup();
    // "Group by class": one group per class of the CID row ("Class %d", in
    // class order), the columns without a class left among the samples.
    // False, with a message, when the data have no classes.
    bool groupByClass();
    QPushButton* groupByClassButton() const { return m_pByClass; }
    // Says which values the calculation uses.
    QLabel* valuesNote() const { return m_pValuesNote; }

    // ---- inputs ----
    void setModel(int model);
    int model() const;
    void setTarget(int target);
    int target() const;
    QLineEdit* field(int target) const { return m_pFields[target]; }
    QSlider* slider(int target) const { return m_pSliders[target]; }
    QLineEdit* h0Field() const { return m_pH0; }
    // The inputs from the fields (fields that do not read take the slider's value).
    PowerInputs inputs() const;

    // ---- calculate and filter ----
    // Checks the groups, reads the inputs, asks for all or the selected
    // items (when some are selected) and calculates.
    bool calculate();
    const PowerRun& run() const { return m_run; }
    CRubberSlider* filterSlider() const { return m_pFilter; }
    void setFilterRange(double lo, double hi);
    void filterRange(double& lo, double& hi) const;
    CPowerResultModel* resultModel() const { return m_pResult; }
    QTableView* resultView() const { return m_pResultView; }
    // "&Highlight" / "->>": the listed items become the selection (hint 3003).
    void highlight();
    // "&Export": one of the three files to a path.
    bool exportTo(int kind, const QString& path);

    // ---- present calls ----
    QSlider* presentSlider() const { return m_pPresent; }
    QLineEdit* presentField() const { return m_pPresentField; }
    QPushButton* presentButton() const { return m_pPresentButton; }
    QPushButton* absentButton() const { return m_pAbsentButton; }
    QLabel* remainsLabel() const { return m_pRemains; }
    void filterPresent(bool allAbsent);

private:
    QTreeWidgetItem* selectedGroup() const;
    void addSample(int column);
    void onFilterMoved();
    void listFiltered();
    void exportWithDialog(int kind);
    void updateFields(int target);
    void updateEnabled();
    void selectRows(const std::vector<int>& rows);

    std::function<CArxDoc*()> m_docSource;
    QTreeWidget* m_pGroups = nullptr;
    QTreeWidget* m_pSamples = nullptr;
    QButtonGroup* m_pModelGroup = nullptr;
    QButtonGroup* m_pTargetGroup = nullptr;
    QLineEdit* m_pH0 = nullptr;
    QSlider* m_pSliders[4] = {};
    QLineEdit* m_pFields[4] = {};
    QPushButton* m_pCalculate = nullptr;
    QPushButton* m_pByClass = nullptr;
    QLabel* m_pValuesNote = nullptr;
    CRubberSlider* m_pFilter = nullptr;
    QLabel* m_pFilterLow = nullptr;
    QLabel* m_pFilterHigh = nullptr;
    CPowerResultModel* m_pResult = nullptr;
    QTableView* m_pResultView = nullptr;
    QPushButton* m_pHighlight = nullptr;
    QPushButton* m_pPass = nullptr;
    QPushButton* m_pExport = nullptr;
    QSlider* m_pPresent = nullptr;
    QLineEdit* m_pPresentField = nullptr;
    QPushButton* m_pPresentButton = nullptr;
    QPushButton* m_pAbsentButton = nullptr;
    QLabel* m_pRemains = nullptr;
    PowerRun m_run;
    double m_dFilterMin = 0.0, m_dFilterMax = 0.0;
    int m_nGroupsMade = 2;
    const DataMatrix* m_pShownData = nullptr;
    int m_nShownRows = -1;
};
