#include "cluster/ui/CPickDendrogramsDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "app/DialogChecks.h"
#include "cluster/Forest.h"
#include "platform/Messages.h"

CPickDendrogramsDlg::CPickDendrogramsDlg(std::vector<Dendrogram> dendrograms, QWidget* parent)
    : QDialog(parent), m_dendrograms(std::move(dendrograms))
{
    setWindowTitle("Pick two dendrograms to compare");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Drag each target shaped icon and drop it on a dedrogram view to compare.\n"
                                 "Or use comoboxes to choose dendrograms.",
                                 this));
    auto* grid = new QGridLayout;
    m_pFirst = new QComboBox(this);
    m_pSecond = new QComboBox(this);
    m_pInfo1 = new QPlainTextEdit(this);
    m_pInfo2 = new QPlainTextEdit(this);
    for (QPlainTextEdit* info : {m_pInfo1, m_pInfo2}) {
        info->setReadOnly(true);
        info->setMaximumHeight(70);
    }
    for (QComboBox* box : {m_pFirst, m_pSecond}) {
        box->addItem("");  // none chosen
        for (const Dendrogram& d : m_dendrograms)
            box->addItem(d.title);
    }
    grid->addWidget(new QLabel("Dendrogram 1", this), 0, 0);
    grid->addWidget(m_pFirst, 1, 0);
    grid->addWidget(m_pInfo1, 2, 0);
    grid->addWidget(new QLabel("Dendrogram 2", this), 0, 1);
    grid->addWidget(m_pSecond, 1, 1);
    grid->addWidget(m_pInfo2, 2, 1);
    layout->addLayout(grid);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CPickDendrogramsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_pFirst, &QComboBox::currentIndexChanged, this, [this] { showInfo(1); });
    connect(m_pSecond, &QComboBox::currentIndexChanged, this, [this] { showInfo(2); });
}

CForest* CPickDendrogramsDlg::chosen(const QComboBox* box) const
{
    const int i = box->currentIndex() - 1;
    return i >= 0 && i < static_cast<int>(m_dendrograms.size()) ? m_dendrograms[static_cast<size_t>(i)].forest
                                                                 : nullptr;
}

CForest* CPickDendrogramsDlg::first() const { return chosen(m_pFirst); }
CForest* CPickDendrogramsDlg::second() const { return chosen(m_pSecond); }

QString CPickDendrogramsDlg::infoText(int which) const { return m_info[which == 2 ? 1 : 0]; }

void CPickDendrogramsDlg::showInfo(int which)
{
    const QComboBox* b = box(which);
    const int i = b->currentIndex() - 1;
    QPlainTextEdit* info = which == 2 ? m_pInfo2 : m_pInfo1;
    QString& text = m_info[which == 2 ? 1 : 0];
    if (i < 0 || i >= static_cast<int>(m_dendrograms.size())) {
        text.clear();
    } else {
        const Dendrogram& d = m_dendrograms[static_cast<size_t>(i)];
        const int clusters = d.forest ? static_cast<int>(d.forest->m_clusters.size()) : 0;
        text = QString::fromStdString(dendrogramInfoText(which, d.title.toStdString(), d.number, clusters));
    }
    // The field shows the text's CR LF line ends as plain line breaks.
    info->setPlainText(QString(text).replace("\r\n", "\n"));
}

void CPickDendrogramsDlg::accept()
{
    const std::string refusal = checkPickDendrograms(first(), second());
    if (!refusal.empty()) {
        showMessage(refusal);
        return;
    }
    QDialog::accept();
}
