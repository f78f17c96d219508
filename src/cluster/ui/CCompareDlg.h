#pragma once
#include <QDialog>

#include "app/DialogParameters.h"

class CArxDoc;
class QCheckBox;
class QComboBox;
class QRadioButton;

// "Compare Two Clustering Results": the direction, and for "Method 1" and
// "Method 2" the linkage, the distance function and its options.
class CCompareDlg final : public QDialog {
    Q_OBJECT
public:
    CCompareDlg(CArxDoc& doc, QWidget* parent = nullptr);

    CCompareParameters parameters() const;

    struct Method {
        QComboBox* linkage = nullptr;
        QComboBox* measure = nullptr;
        QCheckBox* centered = nullptr;
        QCheckBox* absolute = nullptr;
        QCheckBox* pValues = nullptr;
    };
    const Method& method(int i) const { return m_methods[i]; }
    QRadioButton* rowsButton() const { return m_pRows; }
    QRadioButton* columnsButton() const { return m_pColumns; }

private:
    QWidget* makeMethod(Method& m, const QString& title, int linkage);
    CCompareMethod methodOf(const Method& m) const;

    CArxDoc& m_doc;
    QRadioButton* m_pRows;
    QRadioButton* m_pColumns;
    Method m_methods[2];
};
