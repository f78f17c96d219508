#include "cluster/ui/CColumnCheckList.h"

#include <QHeaderView>

#include "data/DataMatrix.h"

CColumnCheckList::CColumnCheckList(QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(2);
    setHeaderLabels({"Column Name", "Type"});
    setRootIsDecorated(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    header()->setSectionResizeMode(0, QHeaderView::Stretch);
    setMinimumHeight(150);
}

QString CColumnCheckList::typeText(int fieldType)
{
    switch (fieldType) {
    case Expression:
    case Real:
        return "REAL";
    case Integer:
        return "INTEGER";
    case String:
        return "STRING";
    default:
        return "CATEGORICAL";
    }
}

void CColumnCheckList::addColumn(const DataMatrix& data, int k, bool checked)
{
    const FieldInfo* f = data.columnField(k);
    auto* item = new QTreeWidgetItem(this, {QString::fromStdString(f->m_strName), typeText(f->m_nType)});
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

void CColumnCheckList::setAllChecked(bool checked)
{
    for (int i = 0; i < topLevelItemCount(); ++i)
        topLevelItem(i)->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

void CColumnCheckList::moveSelectedTo(CColumnCheckList& other)
{
    const QList<QTreeWidgetItem*> items = selectedItems();
    for (QTreeWidgetItem* item : items) {
        takeTopLevelItem(indexOfTopLevelItem(item));
        other.addTopLevelItem(item);
        item->setSelected(false);
    }
}

std::vector<CColumnChoice> CColumnCheckList::choices() const
{
    std::vector<CColumnChoice> out;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = topLevelItem(i);
        out.push_back({item->text(0).toStdString(), item->checkState(0) == Qt::Checked});
    }
    return out;
}

int CColumnCheckList::checkedCount() const
{
    int n = 0;
    for (int i = 0; i < topLevelItemCount(); ++i)
        n += topLevelItem(i)->checkState(0) == Qt::Checked;
    return n;
}
