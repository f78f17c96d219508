#include "linked/ui/CLoadGoFilesDlg.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "linked/GoFiles.h"

CLoadGoFilesDlg::CLoadGoFilesDlg(const GoDownloadSource& source, QWidget* parent) : QDialog(parent), m_source(source)
{
    setWindowTitle("Load GO Files");
    auto* layout = new QVBoxLayout(this);
    QString names;
    for (const std::string& n : goFlatFileNames())
        names += "    " + QString::fromStdString(n) + "\n";
    auto* text = new QLabel(
        "Some of the four Gene Ontology files\n\n" + names +
        "\nare not in the current directory, and there is no " + QString::fromStdString(kGoOboFileName) +
        " either.\n\nOpen lets you pick the folder that holds them (choose one of the files, or an OBO file).\n"
        "Download fetches the most recent ontology from the Gene Ontology Consortium into the current directory.");
    layout->addWidget(text);
    auto* sourceRow = new QHBoxLayout;
    sourceRow->addWidget(new QLabel("Download from:"));
    m_pSource = new QComboBox;
    m_pSource->addItems({"the current release (go-basic.obo over HTTPS)", "the four flat files over anonymous FTP"});
    m_pSource->setCurrentIndex(source.m_bObo ? 0 : 1);
    sourceRow->addWidget(m_pSource, 1);
    m_pServer = new QLineEdit(QString::fromStdString(source.m_strFtpServer));
    m_pServer->setToolTip("FTP server (host or host:port)");
    m_pServer->setEnabled(!source.m_bObo);
    sourceRow->addWidget(m_pServer);
    layout->addLayout(sourceRow);
    connect(m_pSource, &QComboBox::currentIndexChanged, this, [this](int i) { m_pServer->setEnabled(i == 1); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (auto [label, choice] : {std::pair{"Open", Open}, {"Cancel", Cancel}, {"Download", Download}}) {
        auto* b = new QPushButton(label);
        b->setObjectName(label);
        connect(b, &QPushButton::clicked, this, [this, c = choice] { done(c); });
        buttons->addWidget(b);
        if (choice == Open)
            b->setDefault(true);
    }
    layout->addLayout(buttons);
}

GoDownloadSource CLoadGoFilesDlg::source() const
{
    GoDownloadSource s = m_source;
    s.m_bObo = m_pSource->currentIndex() == 0;
    s.m_strFtpServer = m_pServer->text().trimmed().toStdString();
    return s;
}
