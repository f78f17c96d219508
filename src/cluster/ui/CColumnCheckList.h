#pragma once
#include <QTreeWidget>
#include <vector>

#include "app/DialogParameters.h"

class DataMatrix;

// A list of data columns with check boxes, in the two columns "Column Name"
// and "Type" ("REAL" for expression and real columns, "INTEGER", "STRING"
// or "CATEGORICAL").
class CColumnCheckList final : public QTreeWidget {
    Q_OBJECT
public:
    explicit CColumnCheckList(QWidget* parent = nullptr);

    static QString typeText(int fieldType);
    // Adds value column k of the matrix.
    void addColumn(const DataMatrix& data, int k, bool checked);
    void setAllChecked(bool checked);
    // Moves the highlighted entries to the end of another list.
    void moveSelectedTo(CColumnCheckList& other);
    std::vector<CColumnChoice> choices() const;
    int checkedCount() const;
};
