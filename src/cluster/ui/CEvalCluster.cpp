#include "cluster/ui/CEvalCluster.h"

#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>

#include "app/CArxDoc.h"
#include "cluster/Forest.h"
#include "platform/Format.h"
#include "platform/Messages.h"

CEvalCluster::CEvalCluster(QWidget* parent) : QWidget(parent)
{
    setWindowTitle("Evaluation");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makeGroup("Hierarchical Clustering Result", m_hier, false));
    layout->addWidget(makeGroup("K-means Clustering Result", m_kmeans, true));
    auto* log = new QGroupBox("Log File", this);
    auto* logLayout = new QVBoxLayout(log);
    m_pLogButton = new QPushButton("Open Log File...", log);
    m_pLogLabel = new QLabel("No log file", log);
    m_pLogLabel->setWordWrap(true);
    logLayout->addWidget(m_pLogButton);
    logLayout->addWidget(m_pLogLabel);
    layout->addWidget(log);
    layout->addStretch(1);
    connect(m_hier.evaluate, &QPushButton::clicked, this, [this] { evaluateHierarchical(); });
    connect(m_kmeans.evaluate, &QPushButton::clicked, this, [this] { evaluateKMeans(); });
    connect(m_pDoKMeans, &QPushButton::clicked, this, &CEvalCluster::kMeansRequested);
    connect(m_pLogButton, &QPushButton::clicked, this, &CEvalCluster::onLogButton);
}

QWidget* CEvalCluster::makeGroup(const QString& title, Fields& f, bool withKMeans)
{
    auto* box = new QGroupBox(title, this);
    auto* form = new QFormLayout(box);
    auto field = [box] {
        auto* e = new QLineEdit(box);
        e->setReadOnly(true);
        e->setAlignment(Qt::AlignRight);
        e->setMinimumWidth(e->fontMetrics().horizontalAdvance("22213.867 (similarity 0.661)") + 12);
        return e;
    };
    auto* buttons = new QHBoxLayout;
    f.evaluate = new QPushButton("Evaluate", box);
    buttons->addWidget(f.evaluate);
    if (withKMeans) {
        m_pDoKMeans = new QPushButton("Do K-means", box);
        buttons->addWidget(m_pDoKMeans);
    }
    form->addRow(buttons);
    form->addRow("Within-cluster", f.within = field());
    form->addRow("Between-cluster", f.between = field());
    form->addRow("Ratio", f.ratio = field());
    form->addRow("F-measure", f.fMeasure = field());
    // The scale the distances are on, where the pointer rests on them.
    const QString scale = "Mean distance on the 0-65535 scale; similarity = 1 - distance / 65535";
    f.within->setToolTip(scale);
    f.between->setToolTip(scale);
    return box;
}

void CEvalCluster::onUpdate(CDocObserver*, int hint)
{
    if (hint == kHintNewData || hint == kHintResultsChanged)
        clearFields();
}

void CEvalCluster::clearFields()
{
    for (Fields* f : {&m_hier, &m_kmeans})
        for (QLineEdit* e : {f->within, f->between, f->ratio, f->fMeasure})
            e->clear();
}

void CEvalCluster::show(Fields& f, const std::optional<ClusterEvaluation>& e, bool rows)
{
    if (!e)
        return;
    const EvaluationTexts t = evaluationTexts(*e);
    f.within->setText(QString::fromStdString(t.within));
    f.between->setText(QString::fromStdString(t.between));
    f.ratio->setText(QString::fromStdString(t.ratio));
    const CForest* forest = rows ? doc()->m_pRowForest : doc()->m_pColForest;
    if (&f != &m_hier)
        f.fMeasure->setText(QString::fromStdString(unavailableText("for a dendrogram cut only")));
    else if (!forest || !forest->m_bHasClasses)
        f.fMeasure->setText(QString::fromStdString(unavailableText("no classes in the data")));
    else
        f.fMeasure->setText(QString::asprintf("%.3f", fMeasure(*forest)));
    for (QLineEdit* field : {f.within, f.between, f.ratio, f.fMeasure})
        field->setCursorPosition(0);
}

std::optional<ClusterEvaluation> CEvalCluster::evaluateHierarchical()
{
    CArxDoc* d = doc();
    if (!d) {
        showMessage("Do Hierarchical Clustering first!");
        return std::nullopt;
    }
    const bool rows = d->overviewShowsRows();
    d->m_strEvaluationLogPath = m_strLogPath.toStdString();
    const float s = m_minSimilarity ? m_minSimilarity() : 0.5f;
    std::optional<ClusterEvaluation> e = d->evaluateHierarchical(rows, s);
    show(m_hier, e, rows);
    return e;
}

std::optional<ClusterEvaluation> CEvalCluster::evaluateKMeans()
{
    CArxDoc* d = doc();
    if (!d) {
        showMessage("Do K-means Clustering first!");
        return std::nullopt;
    }
    // The direction shown, or the one that holds a k-means result.
    bool rows = d->overviewShowsRows();
    const CForest* shown = rows ? d->m_pRowForest : d->m_pColForest;
    const CForest* other = rows ? d->m_pColForest : d->m_pRowForest;
    if ((!shown || !shown->m_bKMeans) && other && other->m_bKMeans)
        rows = !rows;
    d->m_strEvaluationLogPath = m_strLogPath.toStdString();
    std::optional<ClusterEvaluation> e = d->evaluateKMeans(rows);
    show(m_kmeans, e, rows);
    return e;
}

bool CEvalCluster::openLog(const QString& path)
{
    std::FILE* f = std::fopen(path.toLocal8Bit().constData(), "ab");
    if (!f) {
        showMessage(strFormat("Cannot open the file : %s", path.toLocal8Bit().constData()));
        return false;
    }
    std::fclose(f);
    m_strLogPath = path;
    m_pLogButton->setText("Close Log File");
    m_pLogLabel->setText(path);
    return true;
}

void CEvalCluster::closeLog()
{
    m_strLogPath.clear();
    if (CArxDoc* d = doc())
        d->m_strEvaluationLogPath.clear();
    m_pLogButton->setText("Open Log File...");
    m_pLogLabel->setText("No log file");
}

void CEvalCluster::onLogButton()
{
    if (!m_strLogPath.isEmpty()) {
        closeLog();
        return;
    }
    const QString path = QFileDialog::getSaveFileName(this, "Evaluation log file", QString(),
                                                      "Text Files (*.txt);;All Files (*)", nullptr,
                                                      QFileDialog::DontConfirmOverwrite);
    if (!path.isEmpty())
        openLog(path);
}
