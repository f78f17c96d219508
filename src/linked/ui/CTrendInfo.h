#pragma once
// The "Profile Search" tab: the search method, the distance measure and
// the two-thumb threshold slider of the Model-based search, "Clear ALL"
// and "Delete" of Ceil & Floor, the name box of Search by Name, "show
// silhouette", "Pin This Result" and "Consider All Profiles", around the
// profile plot. Every search makes the matches the document's item
// selection (hint 3003).
#include <QWidget>
#include <functional>

#include "app/UpdateHints.h"
#include "linked/ProfileSearch.h"

class CArxDoc;
class CRubberSlider;
class CTrendView;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class CTrendInfo final : public QWidget, public CDocObserver {
    Q_OBJECT
public:
    static constexpr int kSliderLength = 100;  // L: the slider runs 0..L

    explicit CTrendInfo(QWidget* parent = nullptr);
    void setDocumentSource(std::function<CArxDoc*()> source);
    CArxDoc* doc() const { return m_docSource ? m_docSource() : nullptr; }
    void onUpdate(CDocObserver* sender, int hint) override;

    CProfileSearch& search() { return m_search; }
    CTrendView* view() const { return m_pView; }
    QComboBox* methodBox() const { return m_pMethod; }
    QComboBox* measureBox() const { return m_pMeasure; }
    CRubberSlider* thresholdSlider() const { return m_pSlider; }
    QLineEdit* nameBox() const { return m_pName; }
    QPushButton* findButton() const { return m_pFind; }
    QCheckBox* incrementalBox() const { return m_pIncremental; }
    QCheckBox* silhouetteBox() const { return m_pSilhouette; }
    QPushButton* pinButton() const { return m_pPin; }
    QPushButton* considerAllButton() const { return m_pConsiderAll; }
    QPushButton* clearAllButton() const { return m_pClearAll; }
    QPushButton* deleteButton() const { return m_pDelete; }
    QLabel* hintLabel() const { return m_pHint; }
    QLabel* boundsLabel() const { return m_pBounds; }

    // The bounds of the Model-based search from the slider: similarity
    // fractions p / L (Pearson's r, Euclidean), or the thumbs' pixel
    // distances p / L x plot height as value distances (Absolute); either
    // way the left thumb gives the lower bound.
    void thresholds(double& lo, double& hi) const;
    // Runs the search of the current method and publishes the matches.
    void runSearch();
    // "Make it a model pattern": Model-based, the item's profile as the
    // model, the search with the current thresholds.
    void makeModel(int row);

private:
    void onMethodChanged(int method);
    void publish();
    void updateButtons();
    void showBounds();
    void reset(bool keepModel);

    CProfileSearch m_search;
    std::function<CArxDoc*()> m_docSource;
    CTrendView* m_pView = nullptr;
    QComboBox* m_pMethod = nullptr;
    QComboBox* m_pMeasure = nullptr;
    QLabel* m_pMeasureLabel = nullptr;
    QLabel* m_pThresholdLabel = nullptr;
    CRubberSlider* m_pSlider = nullptr;
    QLabel* m_pBounds = nullptr;
    QPushButton* m_pClearAll = nullptr;
    QPushButton* m_pDelete = nullptr;
    QLabel* m_pHint = nullptr;
    QCheckBox* m_pSilhouette = nullptr;
    QPushButton* m_pPin = nullptr;
    QPushButton* m_pConsiderAll = nullptr;
    QLabel* m_pNameLabel = nullptr;
    QLineEdit* m_pName = nullptr;
    QPushButton* m_pFind = nullptr;
    QCheckBox* m_pIncremental = nullptr;
    const DataMatrix* m_pShownData = nullptr;
    int m_nShownRows = -1;
};
