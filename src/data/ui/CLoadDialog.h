#pragma once
#include <QDialog>
#include <memory>

#include "data/LoadDialogState.h"

class DataMatrix;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

// "Load + Filter + Transform": previews a data file, filters its rows and
// saves the filtered result, and collects the transformation that the
// document read applies. The decisions are LoadDialogState's; this window
// shows its values and enabling and hands it the user's changes.
//
// `data` and `filtered` are the matrices the dialog may load and filter:
// after OK `filtered` holds the filtered data when the dialog filtered.
class CLoadDialog final : public QDialog {
    Q_OBJECT
public:
    CLoadDialog(const QString& path, std::unique_ptr<DataMatrix>& data, std::unique_ptr<DataMatrix>& filtered,
                QWidget* parent = nullptr);

    // Reads the preview and shows the dialog modally. Rejected without
    // showing when the preview fails (its message has been shown).
    int run();

    const LoadDialogState& state() const { return m_state; }
    TransformChoice choice() const { return m_state.transformChoice(); }
    bool filtered() const { return m_state.m_bFiltered; }

    // The controls, by their texts (for the tests and for the windows
    // that drive the dialog).
    QCheckBox* presentCallBox() const { return m_pPresentCall; }
    QCheckBox* stdevBox() const { return m_pStdev; }
    QCheckBox* logBox() const { return m_pLog; }
    QCheckBox* normalizeBox() const { return m_pNormalize; }
    QLineEdit* stdevEdit() const { return m_pStdevEdit; }
    QLineEdit* keptEdit() const { return m_pKept; }
    QLineEdit* allEdit() const { return m_pAll; }
    QLabel* countLabel() const { return m_pCountLabel; }
    QPushButton* filterButton() const { return m_pFilter; }
    QPushButton* saveButton() const { return m_pSave; }
    QTableWidget* previewList() const { return m_pPreview; }

public slots:
    void accept() override;
    void reject() override;
    void filterIt();
    void saveResult();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void build();
    void fillPreview();
    // Puts the state's values and enabling on the controls, and back.
    void showState();
    void takeEdits();

    LoadDialogState m_state;
    std::unique_ptr<DataMatrix>& m_data;
    std::unique_ptr<DataMatrix>& m_filtered;
    bool m_bShowing = false;

    QLineEdit* m_pFileName;
    QTableWidget* m_pPreview;
    QCheckBox* m_pPresentCall;
    QLabel* m_pPLabel;
    QLineEdit* m_pPValue;
    QLabel* m_pPercentLabel1;
    QLineEdit* m_pPercent;
    QLabel* m_pPercentLabel2;
    QCheckBox* m_pStdev;
    QLabel* m_pStdevLabel;
    QLineEdit* m_pStdevEdit;
    QPushButton* m_pFilter;
    QLabel* m_pKeepLabel;
    QLineEdit* m_pKept;
    QLabel* m_pCountLabel;
    QLineEdit* m_pAll;
    QPushButton* m_pSave;
    QPushButton* m_pAffyFolder;
    QCheckBox* m_pLog;
    QCheckBox* m_pNormalize;
    QGroupBox* m_pRangeGroup;
    QRadioButton* m_pRowByRow;
    QRadioButton* m_pColByCol;
    QGroupBox* m_pFormulaGroup;
    QRadioButton* m_pMethod[4];
    QLineEdit* m_pScaleFrom;
    QLabel* m_pToLabel;
    QLineEdit* m_pScaleTo;
    QPushButton* m_pOk;
};
