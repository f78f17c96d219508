#include "app/ui/CAboutDlg.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle("About Arx - Arbolix 3.0");
    auto* layout = new QVBoxLayout(this);
    auto* name = new QLabel("Arbolix Version 3.5", this);
    QFont f = name->font();
    f.setBold(true);
    f.setPointSize(f.pointSize() + 2);
    name->setFont(f);
    layout->addWidget(name);
    layout->addWidget(new QLabel("An explorer for gene-expression tables: clustering, rank-by-feature\n"
                                 "and linked views around one selection.",
                                 this));
    auto* links = new QHBoxLayout;
    const char* pages[] = {kHomePage, kLabPage, kPartnerPage, kHomePage};
    const char* labels[] = {"Arbolix", "Laboratory", "Partner", "Home Page"};
    for (int i = 0; i < 4; ++i) {
        auto* b = new QPushButton(labels[i], this);
        b->setFlat(true);
        b->setCursor(Qt::PointingHandCursor);
        b->setToolTip(pages[i]);
        QString url = pages[i];
        connect(b, &QPushButton::clicked, this, [url] { QDesktopServices::openUrl(QUrl(url)); });
        links->addWidget(b);
    }
    layout->addLayout(links);
    auto* close = new QPushButton("Close", this);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(close, 0, Qt::AlignRight);
}
