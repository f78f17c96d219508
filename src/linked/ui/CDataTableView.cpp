#include "linked/ui/CDataTableView.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

#include "app/CArxDoc.h"
#include "data/CellValue.h"
#include "linked/CellText.h"
#include "linked/Lookup.h"
#include "linked/ui/AnnotationFile.h"
#include "linked/ui/CDataTableModel.h"
#include "linked/ui/SaveSelection.h"

namespace {
// Trailing white space removed.
QString trimmedRight(QString s)
{
    while (!s.isEmpty() && s.back().isSpace())
        s.chop(1);
    return s;
}
} // namespace

CDataTableView::CDataTableView(QWidget* parent) : QWidget(parent)
{
    setWindowTitle("Table View");
    m_urlOpener = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    m_pModel = new CDataTableModel(this);
    m_pTable = new QTableView(this);
    m_pTable->setModel(m_pModel);
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pTable->setShowGrid(true);
    m_pTable->setWordWrap(false);
    m_pTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_pTable->verticalHeader()->setDefaultSectionSize(m_pTable->fontMetrics().height() + 4);
    m_pTable->verticalHeader()->hide();
    // Column widths fit the rows in view, not thousands of rows.
    m_pTable->verticalHeader()->setResizeContentsPrecision(0);
    m_pTable->horizontalHeader()->setResizeContentsPrecision(0);
    m_pTable->horizontalHeader()->setSectionsClickable(true);
    // The arrow's room is kept in every header (no section carries it until
    // a sort), so that it never covers a header's text.
    m_pTable->horizontalHeader()->setSortIndicatorShown(true);
    m_pTable->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_pTable->horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
    m_pTable->setContextMenuPolicy(Qt::CustomContextMenu);

    m_pAnnotate = new QPushButton("Annotate", this);
    m_pShowAnnotation = new QCheckBox("Show Annotation", this);
    m_pShowData = new QCheckBox("Show Data", this);
    m_pOriginal = new QCheckBox("Use Original Data", this);
    m_pRevert = new QPushButton("Revert to Orginal Order", this);
    m_pSelectedOnly = new QCheckBox("Show Selected Data Only", this);
    m_pAnnotationFirst = new QCheckBox("Annotation beside ID", this);
    m_pAnnotationFirst->setToolTip("Show the annotation columns right after the ID column");
    m_pAnnotationFirst->setChecked(true);
    m_pCount = new QLabel("Select items", this);
    m_pSave = new QPushButton("Save selected items", this);
    m_pShowAnnotation->setChecked(true);
    m_pShowData->setChecked(true);
    m_pRevert->setEnabled(false);

    auto* controls = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{m_pAnnotate, m_pShowAnnotation, m_pAnnotationFirst, m_pShowData,
                                                      m_pOriginal, m_pRevert, m_pSelectedOnly})
        controls->addWidget(w);
    controls->addStretch(1);
    controls->addWidget(m_pCount);
    controls->addWidget(m_pSave);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(controls);
    layout->addWidget(m_pTable, 1);

    connect(m_pAnnotate, &QPushButton::clicked, this, [this] {
        CArxDoc* d = doc();
        if (!d || !d->m_bDataLoaded)
            return;
        // The view hears of the new annotation through the hint, like every other view.
        attachAnnotationFile(*d, chooseAnnotationFile(this));
    });
    connect(m_pShowAnnotation, &QCheckBox::toggled, this, [this] { showColumns(); });
    connect(m_pShowData, &QCheckBox::toggled, this, [this] { showColumns(); });
    connect(m_pAnnotationFirst, &QCheckBox::toggled, this, [this] { showColumns(); });
    connect(m_pOriginal, &QCheckBox::toggled, this, [this](bool on) { m_pModel->setUseOriginal(on); });
    connect(m_pRevert, &QPushButton::clicked, this, &CDataTableView::revertOrder);
    connect(m_pSelectedOnly, &QCheckBox::toggled, this, &CDataTableView::refresh);
    connect(m_pSave, &QPushButton::clicked, this, [this] {
        if (CArxDoc* d = doc())
            saveSelectedItemsWithDialog(this, *d);
    });
    connect(m_pTable->horizontalHeader(), &QHeaderView::sectionClicked, this, &CDataTableView::sortByColumn);
    connect(m_pTable->horizontalHeader(), &QWidget::customContextMenuRequested, this, &CDataTableView::onHeaderMenu);
    connect(m_pTable, &QWidget::customContextMenuRequested, this, &CDataTableView::onCellMenu);
    connect(m_pTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CDataTableView::onSelectionChanged);
    m_pTable->viewport()->installEventFilter(this);
    const QPalette palette = m_pTable->palette();
    m_pModel->setSelectionColours(palette.color(QPalette::Active, QPalette::Highlight),
                                  palette.color(QPalette::Active, QPalette::HighlightedText));
}

QPushButton* CDataTableView::button(const QString& text) const
{
    for (QPushButton* b : {m_pAnnotate, m_pRevert, m_pSave})
        if (b->text() == text)
            return b;
    return nullptr;
}

QCheckBox* CDataTableView::checkBox(const QString& text) const
{
    for (QCheckBox* c : {m_pShowAnnotation, m_pShowData, m_pOriginal, m_pSelectedOnly, m_pAnnotationFirst})
        if (c->text() == text)
            return c;
    return nullptr;
}

void CDataTableView::onUpdate(CDocObserver*, int hint)
{
    switch (hint) {
    case kHintNewData:
        m_pModel->clear();
        m_pRevert->setEnabled(false);
        updateCount();
        break;
    case kHintResultsChanged:
    case kHintAnnotation:
        if (isVisible())
            refresh();
        else
            m_bStale = true;
        break;
    case kHintItemSelection:
        if (!isVisible())
            m_bStale = true;
        else if (m_pSelectedOnly->isChecked())
            refresh();
        else {
            reselect();
            updateCount();
        }
        break;
    default:
        break;
    }
}

void CDataTableView::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (m_bStale)
        refresh();
}

void CDataTableView::refresh()
{
    m_bStale = false;
    m_bSelecting = true;
    m_pModel->refresh(doc(), m_pSelectedOnly->isChecked());
    m_bSelecting = false;
    m_pRevert->setEnabled(false);
    m_pTable->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    showColumns();
    reselect();
    updateCount();
}

void CDataTableView::fitColumn(QTableView* table, int column)
{
    QHeaderView* header = table->horizontalHeader();
    table->resizeColumnToContents(column);
    const int limit = std::max(60, table->viewport()->width() / 3);
    const int headerWidth = std::min(header->sectionSizeHint(column), limit);
    table->setColumnWidth(column, std::max(std::min(table->columnWidth(column), limit), headerWidth));
}

void CDataTableView::showColumns()
{
    const int values = m_pModel->valueColumnCount(), annotations = m_pModel->annotationColumnCount();
    const int first = CDataTableModel::kFixedColumns;
    // The annotation columns in view right after "ID" when asked for; the
    // model keeps its own column order, the header only shows them moved.
    QHeaderView* header = m_pTable->horizontalHeader();
    const bool beside = m_pAnnotationFirst->isChecked() && annotations > 0;
    for (int c = 0; c < header->count(); ++c)
        if (const int now = header->visualIndex(c); now >= 0 && now != c)
            header->moveSection(now, c);
    for (int k = 0; k < annotations; ++k) {
        const int logical = first + values + k;
        const int wanted = beside ? 1 + k : logical;
        const int now = header->visualIndex(logical);
        if (now >= 0 && now != wanted)
            header->moveSection(now, wanted);
    }
    for (int c = 0; c < first; ++c)
        fitColumn(m_pTable, c);
    for (int c = first; c < first + values + annotations; ++c) {
        const bool shown = c < first + values ? m_pShowData->isChecked() : m_pShowAnnotation->isChecked();
        m_pTable->setColumnHidden(c, !shown);
        if (shown)
            fitColumn(m_pTable, c);
    }
}

void CDataTableView::reselect()
{
    CArxDoc* d = doc();
    const std::vector<int> none;
    const std::vector<int>& items = d && d->m_bDataLoaded ? d->m_selectedItems : none;
    m_pModel->setSelectedItems(items);
    m_bSelecting = true;
    m_pTable->selectionModel()->clearSelection();
    m_bSelecting = false;
    m_bListInSync = items.empty();
    int first = -1;
    for (int item : items)
        if (int r = m_pModel->listRowOfItem(item); r >= 0 && (first < 0 || r < first))
            first = r;
    if (first >= 0)
        m_pTable->scrollTo(m_pModel->index(first, 0), QAbstractItemView::EnsureVisible);
}

std::vector<int> CDataTableView::selectedListRows() const
{
    std::vector<int> rows;
    for (int r = 0; r < m_pModel->rowCount(); ++r)
        if (m_pModel->isRowSelected(r))
            rows.push_back(r);
    return rows;
}

void CDataTableView::syncListSelection()
{
    if (m_bListInSync)
        return;
    QItemSelection selection;
    const std::vector<int> rows = selectedListRows();
    const int lastColumn = m_pModel->columnCount() - 1;
    for (size_t i = 0; i < rows.size();) {
        size_t j = i;
        while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1)
            ++j;
        selection.select(m_pModel->index(rows[i], 0), m_pModel->index(rows[j], lastColumn));
        i = j + 1;
    }
    m_bSelecting = true;
    m_pTable->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    m_bSelecting = false;
    m_bListInSync = true;
}

bool CDataTableView::eventFilter(QObject* watched, QEvent* e)
{
    // A Ctrl click adds to or takes from the selection the document holds.
    if (watched == m_pTable->viewport() && e->type() == QEvent::MouseButtonPress &&
        (static_cast<QMouseEvent*>(e)->modifiers() & Qt::ControlModifier))
        syncListSelection();
    return QWidget::eventFilter(watched, e);
}

void CDataTableView::onSelectionChanged()
{
    CArxDoc* d = doc();
    if (m_bSelecting || !d || !d->m_bDataLoaded)
        return;
    std::vector<int> items;
    for (const QItemSelectionRange& range : m_pTable->selectionModel()->selection())
        for (int r = range.top(); r <= range.bottom(); ++r)
            items.push_back(m_pModel->itemOf(r));
    d->setItemSelection(std::move(items), this);
    m_pModel->setSelectedItems(d->m_selectedItems);
    m_bListInSync = true;
    updateCount();
}

void CDataTableView::updateCount()
{
    CArxDoc* d = doc();
    const int n = d && d->m_bDataLoaded ? static_cast<int>(d->m_selectedItems.size()) : 0;
    m_pCount->setText(QString::fromStdString(selectionCountText(n)));
}

void CDataTableView::sortByColumn(int column)
{
    if (column < 0 || column >= m_pModel->columnCount())
        return;
    const bool ascending = m_pModel->sortByColumn(column);
    QHeaderView* header = m_pTable->horizontalHeader();
    header->setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    m_pRevert->setEnabled(true);
    const std::vector<int> selected = selectedListRows();
    if (!selected.empty())
        m_pTable->scrollTo(m_pModel->index(selected.front(), 0), QAbstractItemView::EnsureVisible);
}

void CDataTableView::revertOrder()
{
    m_pModel->revertOrder();
    m_pTable->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_pRevert->setEnabled(false);
}

// ---------------------------------------------------------------- popups

QMenu* CDataTableView::makeCellMenu(int row, int column, QWidget* parent)
{
    const std::string text = m_pModel->cellText(row, column);
    if (stripBlanks(text).empty())
        return nullptr;
    auto* menu = new QMenu(parent);
    menu->addAction("Copy this cell to clipboard", this, [this, row, column] { copyCell(row, column); });
    menu->addAction("Copy this whole column to clipboard", this, [this, column] { copyColumn(column); });
    menu->addAction("Copy this whole row to clipboard", this, [this, row] { copyRow(row); });
    if (!m_pModel->entry(column).urlTemplate.empty()) {
        menu->addSeparator();
        for (const std::string& part : lookupParts(text))
            menu->addAction(QString::fromStdString(lookupEntryText(part)), this,
                            [this, column, part] { lookUp(column, part); });
    }
    return menu;
}

void CDataTableView::copyCell(int row, int column) const
{
    QApplication::clipboard()->setText(QString::fromStdString(m_pModel->cellText(row, column)));
}

void CDataTableView::copyColumn(int column) const
{
    QStringList cells;
    for (int r = 0; r < m_pModel->rowCount(); ++r)
        cells << QString::fromStdString(m_pModel->cellText(r, column));
    QApplication::clipboard()->setText(cells.join('\n'));
}

void CDataTableView::copyRow(int row) const
{
    QStringList cells;
    for (int c = 0; c < m_pModel->columnCount(); ++c)
        cells << QString::fromStdString(m_pModel->cellText(row, c));
    QApplication::clipboard()->setText(trimmedRight(cells.join('\t')));
}

void CDataTableView::lookUp(int column, const std::string& part)
{
    const std::string& urlTemplate = m_pModel->entry(column).urlTemplate;
    const std::string term = lookupTerm(part);
    if (urlTemplate.empty() || term.empty() || !m_urlOpener)
        return;
    m_urlOpener(QUrl::fromEncoded(QByteArray::fromStdString(lookupUrl(urlTemplate, term))));
}

void CDataTableView::onCellMenu(const QPoint& pos)
{
    const QModelIndex index = m_pTable->indexAt(pos);
    if (!index.isValid())
        return;
    if (QMenu* menu = makeCellMenu(index.row(), index.column(), this)) {
        menu->exec(m_pTable->viewport()->mapToGlobal(pos));
        delete menu;
    }
}

void CDataTableView::onHeaderMenu(const QPoint& pos)
{
    const int column = m_pTable->horizontalHeader()->logicalIndexAt(pos);
    if (column >= 0)
        editUrlTemplate(column);
}

void CDataTableView::editUrlTemplate(int column)
{
    if (column < 0 || column >= m_pModel->columnCount())
        return;
    QDialog dlg(this);
    dlg.setWindowTitle("Input Dialogbox");
    auto* layout = new QVBoxLayout(&dlg);
    layout->addWidget(new QLabel("Input a URL template string:", &dlg));
    layout->addWidget(new QLabel("Write %s where the search term goes, for example\n"
                                 "https://www.ncbi.nlm.nih.gov/gene/?term=%s",
                                 &dlg));
    layout->addWidget(new QLabel(QString("Input a URL template string for the column (%1) :")
                                     .arg(QString::fromStdString(m_pModel->headerText(column))),
                                 &dlg));
    auto* edit = new QLineEdit(QString::fromStdString(m_pModel->entry(column).urlTemplate), &dlg);
    edit->setMinimumWidth(420);
    layout->addWidget(edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    QPushButton* clear = buttons->addButton("Clear", QDialogButtonBox::ResetRole);
    layout->addWidget(buttons);
    connect(clear, &QPushButton::clicked, edit, &QLineEdit::clear);
    connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    if (dlg.exec() != QDialog::Accepted)
        return;
    m_pModel->entry(column).urlTemplate = edit->text().trimmed().toStdString();
    emit m_pModel->headerDataChanged(Qt::Horizontal, column, column);
}
