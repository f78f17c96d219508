#include "data/ui/CLoadDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "data/DataMatrix.h"
#include "data/FilteredSave.h"

namespace {
// The small formula pictures on the first three method buttons.
QIcon formulaIcon(const QString& numerator, const QString& denominator)
{
    QPixmap pm(70, 34);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    QFont f("Times New Roman");
    f.setItalic(true);
    f.setPointSize(10);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(QRect(0, 0, pm.width(), 16), Qt::AlignCenter, numerator);
    p.drawLine(6, 17, pm.width() - 6, 17);
    p.drawText(QRect(0, 18, pm.width(), 16), Qt::AlignCenter, denominator);
    return QIcon(pm);
}

QFont stepFont()
{
    QFont f("Times New Roman");
    f.setBold(true);
    return f;
}
} // namespace

CLoadDialog::CLoadDialog(const QString& path, std::unique_ptr<DataMatrix>& data,
                         std::unique_ptr<DataMatrix>& filtered, QWidget* parent)
    : QDialog(parent), m_state(path.toStdString()), m_data(data), m_filtered(filtered)
{
    setWindowTitle("Load + Filter + Transform");
    build();
}

void CLoadDialog::build()
{
    auto* top = new QVBoxLayout(this);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel("File Name :", this));
    m_pFileName = new QLineEdit(QString::fromStdString(m_state.m_strFileName), this);
    m_pFileName->setReadOnly(true);
    nameRow->addWidget(m_pFileName);
    top->addLayout(nameRow);

    m_pPreview = new QTableWidget(this);
    m_pPreview->setShowGrid(true);
    m_pPreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pPreview->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pPreview->verticalHeader()->hide();
    m_pPreview->setMinimumHeight(170);
    top->addWidget(m_pPreview);

    // STEP 1: filtering.
    auto* step1 = new QGroupBox("STEP 1 : Data (Rows) Filtering ", this);
    step1->setFont(stepFont());
    auto* g1 = new QGridLayout(step1);
    const QFont plain = font();
    auto plainWidget = [&plain](QWidget* w) { w->setFont(plain); return w; };
    m_pPresentCall = new QCheckBox("Present Call Filtering", step1);
    m_pPLabel = new QLabel("Present if (detection p-value) <", step1);
    m_pPValue = new QLineEdit(step1);
    m_pPercentLabel1 = new QLabel("Filter out if less than", step1);
    m_pPercent = new QLineEdit(step1);
    m_pPercentLabel2 = new QLabel("% of cols are present", step1);
    m_pStdev = new QCheckBox("Standard Deviation Filtering", step1);
    m_pStdevLabel = new QLabel("Filter out if stdev is less than ", step1);
    m_pStdevEdit = new QLineEdit(step1);
    m_pFilter = new QPushButton("Filter it !", step1);
    m_pKeepLabel = new QLabel("You keep", step1);
    m_pKept = new QLineEdit(step1);
    m_pCountLabel = new QLabel("rows out of", step1);
    m_pAll = new QLineEdit(step1);
    m_pSave = new QPushButton("Save this filtering result", step1);
    m_pAffyFolder = new QPushButton("Pick an Affy folder", step1);
    m_pAffyFolder->hide();
    for (QLineEdit* e : {m_pPValue, m_pPercent, m_pStdevEdit, m_pKept, m_pAll})
        e->setMaximumWidth(70);
    m_pKept->setReadOnly(true);
    m_pAll->setReadOnly(true);
    m_pPValue->setValidator(new QDoubleValidator(0, 1, 2, m_pPValue));
    m_pPercent->setValidator(new QDoubleValidator(0, 100, 0, m_pPercent));
    m_pStdevEdit->setValidator(new QDoubleValidator(0, 1e9, 1, m_pStdevEdit));
    for (QWidget* w : std::initializer_list<QWidget*>{m_pPresentCall, m_pPLabel, m_pPValue, m_pPercentLabel1,
                                                      m_pPercent, m_pPercentLabel2, m_pStdev, m_pStdevLabel,
                                                      m_pStdevEdit, m_pFilter, m_pKeepLabel, m_pKept, m_pCountLabel,
                                                      m_pAll, m_pSave, m_pAffyFolder})
        plainWidget(w);
    g1->addWidget(m_pPresentCall, 0, 0, 1, 2);
    auto* pRow = new QHBoxLayout;
    pRow->addWidget(m_pPLabel);
    pRow->addWidget(m_pPValue);
    pRow->addStretch(1);
    g1->addLayout(pRow, 1, 0, 1, 2);
    auto* percentRow = new QHBoxLayout;
    percentRow->addWidget(m_pPercentLabel1);
    percentRow->addWidget(m_pPercent);
    percentRow->addWidget(m_pPercentLabel2);
    percentRow->addStretch(1);
    g1->addLayout(percentRow, 2, 0, 1, 2);
    g1->addWidget(m_pStdev, 0, 2, 1, 2);
    auto* sRow = new QHBoxLayout;
    sRow->addWidget(m_pStdevLabel);
    sRow->addWidget(m_pStdevEdit);
    sRow->addStretch(1);
    g1->addLayout(sRow, 1, 2, 1, 2);
    auto* countRow = new QHBoxLayout;
    countRow->addWidget(m_pFilter);
    countRow->addSpacing(12);
    countRow->addWidget(m_pKeepLabel);
    countRow->addWidget(m_pKept);
    countRow->addWidget(m_pCountLabel);
    countRow->addWidget(m_pAll);
    countRow->addStretch(1);
    countRow->addWidget(m_pSave);
    countRow->addWidget(m_pAffyFolder);
    g1->addLayout(countRow, 3, 0, 1, 4);
    top->addWidget(step1);

    // STEP 2: transformation.
    auto* step2 = new QGroupBox("STEP 2 : Data Transformation", this);
    step2->setFont(stepFont());
    auto* g2 = new QGridLayout(step2);
    m_pLog = new QCheckBox("Log transformation (Natural Log)", step2);
    m_pNormalize = new QCheckBox("Normalization", step2);
    m_pRangeGroup = new QGroupBox(step2);
    auto* rangeRow = new QVBoxLayout(m_pRangeGroup);
    m_pRowByRow = new QRadioButton("Row-by-Row", m_pRangeGroup);
    m_pColByCol = new QRadioButton("Column-by-Column", m_pRangeGroup);
    rangeRow->addWidget(m_pRowByRow);
    rangeRow->addWidget(m_pColByCol);
    m_pFormulaGroup = new QGroupBox(step2);
    auto* formulaRow = new QHBoxLayout(m_pFormulaGroup);
    m_pMethod[0] = new QRadioButton(m_pFormulaGroup);
    m_pMethod[0]->setIcon(formulaIcon(QString::fromUtf8("x \u2212 m"), QString::fromUtf8("\u03c3")));
    m_pMethod[1] = new QRadioButton(m_pFormulaGroup);
    m_pMethod[1]->setIcon(formulaIcon("x", "control"));
    m_pMethod[2] = new QRadioButton(m_pFormulaGroup);
    m_pMethod[2]->setIcon(formulaIcon("x", "median"));
    m_pMethod[0]->setToolTip("(x - m) / sigma");
    m_pMethod[1]->setToolTip("x / control");
    m_pMethod[2]->setToolTip("x / median");
    m_pMethod[3] = new QRadioButton("Scale from", m_pFormulaGroup);
    for (int i = 0; i < 3; ++i) {
        m_pMethod[i]->setIconSize(QSize(70, 34));
        formulaRow->addWidget(m_pMethod[i]);
    }
    m_pScaleFrom = new QLineEdit(m_pFormulaGroup);
    m_pToLabel = new QLabel("to", m_pFormulaGroup);
    m_pScaleTo = new QLineEdit(m_pFormulaGroup);
    m_pScaleFrom->setMaximumWidth(60);
    m_pScaleTo->setMaximumWidth(60);
    m_pScaleFrom->setValidator(new QDoubleValidator(m_pScaleFrom));
    m_pScaleTo->setValidator(new QDoubleValidator(m_pScaleTo));
    formulaRow->addWidget(m_pMethod[3]);
    formulaRow->addWidget(m_pScaleFrom);
    formulaRow->addWidget(m_pToLabel);
    formulaRow->addWidget(m_pScaleTo);
    formulaRow->addStretch(1);
    for (QWidget* w : std::initializer_list<QWidget*>{m_pLog, m_pNormalize, m_pRangeGroup, m_pFormulaGroup})
        plainWidget(w);
    g2->addWidget(m_pLog, 0, 0);
    g2->addWidget(m_pNormalize, 1, 0);
    g2->addWidget(m_pRangeGroup, 2, 0);
    g2->addWidget(m_pFormulaGroup, 2, 1);
    g2->setColumnStretch(1, 1);
    top->addWidget(step2);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_pOk = buttons->button(QDialogButtonBox::Ok);
    top->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CLoadDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CLoadDialog::reject);

    connect(m_pPresentCall, &QCheckBox::clicked, this, [this](bool on) {
        takeEdits();
        m_state.setPresentCall(on);
        showState();
    });
    connect(m_pStdev, &QCheckBox::clicked, this, [this](bool on) {
        takeEdits();
        m_state.setStdevFilter(on);
        showState();
    });
    connect(m_pLog, &QCheckBox::clicked, this, [this](bool on) { m_state.setLog(on); });
    connect(m_pNormalize, &QCheckBox::clicked, this, [this](bool on) {
        takeEdits();
        m_state.setNormalize(on);
        showState();
    });
    connect(m_pRowByRow, &QRadioButton::clicked, this, [this] { m_state.setDirection(0); });
    connect(m_pColByCol, &QRadioButton::clicked, this, [this] { m_state.setDirection(1); });
    for (int i = 0; i < 4; ++i)
        connect(m_pMethod[i], &QRadioButton::clicked, this, [this, i] { m_state.setMethod(i); });
    m_pScaleFrom->installEventFilter(this);
    m_pScaleTo->installEventFilter(this);
    connect(m_pFilter, &QPushButton::clicked, this, &CLoadDialog::filterIt);
    connect(m_pSave, &QPushButton::clicked, this, &CLoadDialog::saveResult);
}

int CLoadDialog::run()
{
    if (!m_state.initialise())
        return QDialog::Rejected;
    fillPreview();
    showState();
    return exec();
}

void CLoadDialog::fillPreview()
{
    const TableFile& t = m_state.preview().table;
    m_pPreview->clear();
    if (t.lineCount() == 0)
        return;
    const std::vector<std::string> header = t.lineStrings(0);
    const int columns = static_cast<int>(header.size());
    m_pPreview->setColumnCount(columns);
    m_pPreview->setRowCount(t.lineCount() - 1);
    auto align = [](int c) { return c == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter; };
    for (int c = 0; c < columns; ++c) {
        auto* h = new QTableWidgetItem(QString::fromStdString(header[static_cast<size_t>(c)]));
        h->setTextAlignment(align(c));
        m_pPreview->setHorizontalHeaderItem(c, h);
    }
    for (int line = 1; line < t.lineCount(); ++line) {
        const std::vector<std::string> cells = t.lineStrings(line);
        for (int c = 0; c < static_cast<int>(cells.size()) && c < columns; ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(cells[static_cast<size_t>(c)]));
            item->setTextAlignment(align(c));
            m_pPreview->setItem(line - 1, c, item);
        }
    }
    m_pPreview->resizeColumnsToContents();
}

void CLoadDialog::takeEdits()
{
    m_state.m_strPValue = m_pPValue->text().toStdString();
    m_state.m_strPercent = m_pPercent->text().toStdString();
    m_state.m_strStdev = m_pStdevEdit->text().toStdString();
    m_state.m_fScaleFrom = m_pScaleFrom->text().toFloat();
    m_state.m_fScaleTo = m_pScaleTo->text().toFloat();
}

void CLoadDialog::showState()
{
    const LoadDialogEnabled& en = m_state.enabled();
    m_pPresentCall->setChecked(m_state.m_bPresentCall);
    m_pStdev->setChecked(m_state.m_bStdevFilter);
    m_pLog->setChecked(m_state.m_bLog);
    m_pNormalize->setChecked(m_state.m_bNormalize);
    m_pPValue->setText(QString::fromStdString(m_state.m_strPValue));
    m_pPercent->setText(QString::fromStdString(m_state.m_strPercent));
    m_pStdevEdit->setText(QString::fromStdString(m_state.m_strStdev));
    m_pScaleFrom->setText(QString::number(m_state.m_fScaleFrom, 'f', 1));
    m_pScaleTo->setText(QString::number(m_state.m_fScaleTo, 'f', 1));
    m_pRowByRow->setChecked(m_state.m_nDirection == 0);
    m_pColByCol->setChecked(m_state.m_nDirection == 1);
    // Radio buttons of a group with none chosen: drop the check without exclusivity.
    for (int i = 0; i < 4; ++i) {
        m_pMethod[i]->setAutoExclusive(false);
        m_pMethod[i]->setChecked(m_state.m_nMethod == i);
        m_pMethod[i]->setAutoExclusive(true);
    }
    if (m_state.m_nDirection < 0) {
        m_pRowByRow->setAutoExclusive(false);
        m_pColByCol->setAutoExclusive(false);
        m_pRowByRow->setChecked(false);
        m_pColByCol->setChecked(false);
        m_pRowByRow->setAutoExclusive(true);
        m_pColByCol->setAutoExclusive(true);
    }
    if (m_state.m_bFiltered) {
        m_pKept->setText(QString::number(m_state.m_nKept));
        m_pAll->setText(QString::number(m_state.m_nAll));
        m_pCountLabel->setText(QString::fromStdString(m_state.countLabel()));
    }

    m_pOk->setEnabled(en.ok);
    m_pLog->setEnabled(en.logBox);
    m_pNormalize->setEnabled(en.normalizeBox);
    for (QWidget* w : std::initializer_list<QWidget*>{m_pRangeGroup, m_pFormulaGroup, m_pScaleFrom, m_pScaleTo,
                                                      m_pToLabel})
        w->setEnabled(en.normalizeControls);
    m_pPresentCall->setEnabled(en.presentCallBox);
    for (QWidget* w : std::initializer_list<QWidget*>{m_pPLabel, m_pPValue, m_pPercentLabel1, m_pPercent,
                                                      m_pPercentLabel2})
        w->setEnabled(en.presentCallEdits);
    m_pStdev->setEnabled(en.stdevBox);
    m_pStdevLabel->setEnabled(en.stdevEdit);
    m_pStdevEdit->setEnabled(en.stdevEdit);
    m_pFilter->setEnabled(en.filterButton);
    for (QWidget* w : std::initializer_list<QWidget*>{m_pKeepLabel, m_pKept, m_pCountLabel, m_pAll})
        w->setEnabled(en.countEdits);
    m_pSave->setEnabled(en.saveButton);
}

bool CLoadDialog::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::FocusIn && (watched == m_pScaleFrom || watched == m_pScaleTo)) {
        m_state.scaleEditFocused();
        m_pMethod[3]->setChecked(true);
    }
    return QDialog::eventFilter(watched, e);
}

void CLoadDialog::filterIt()
{
    takeEdits();
    m_state.filter(m_data, m_filtered);
    showState();
}

void CLoadDialog::saveResult()
{
    if (!m_filtered)
        return;
    QString folder = QFileInfo(QString::fromStdString(m_state.m_strFileName)).absolutePath();
    QString initial = folder + "/" + QString::fromStdString(defaultFilteredFileName(*m_filtered));
    QFileDialog dlg(this, kSaveFilteredTitle, initial, kSaveFilteredNameFilters);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setDefaultSuffix(kSaveFilteredExtension);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.selectFile(initial);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return;
    saveFiltered(*m_filtered, dlg.selectedFiles().first().toStdString());
}

void CLoadDialog::accept()
{
    takeEdits();
    m_state.accept(m_data);
    QDialog::accept();
}

void CLoadDialog::reject()
{
    m_state.reject(m_filtered);
    QDialog::reject();
}
