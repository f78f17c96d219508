#include "app/ui/SaveToBmpDialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/ui/CArxEntireView.h"
#include "app/ui/CArxView.h"
#include "app/ui/PictureExport.h"
#include "cluster/Forest.h"
#include "platform/Messages.h"

SaveToBmpDialog::SaveToBmpDialog(CArxView* overview, CArxEntireView* entire, QWidget* parent)
    : QDialog(parent), m_pOverview(overview), m_pEntire(entire)
{
    setWindowTitle("Save To BMP");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    auto* folderRow = new QHBoxLayout;
    m_pFolder = new QLineEdit(QDir::currentPath(), this);
    auto* browse = new QPushButton("Browse", this);
    folderRow->addWidget(m_pFolder, 1);
    folderRow->addWidget(browse);
    form->addRow("Save to", folderRow);
    m_pName = new QLineEdit(this);
    form->addRow("File Name", m_pName);
    // The picture writers: the bitmap, or a compressed image or a vector
    // drawing for papers and slides.
    m_pFormat = new QComboBox(this);
    m_pFormat->addItem("BMP files (*.bmp)", "bmp");
    m_pFormat->addItem("PNG files (*.png)", "png");
    m_pFormat->addItem("SVG files (*.svg)", "svg");
    m_pFormat->addItem("PDF files (*.pdf)", "pdf");
    form->addRow("Format", m_pFormat);
    layout->addLayout(form);
    auto* group = new QGroupBox("Dendrogram", this);
    auto* gl = new QHBoxLayout(group);
    m_pKind = new QButtonGroup(this);
    const char* labels[] = {"Horizontal", "Vertical", "Horizontal + Vertical"};
    for (int i = 0; i < 3; ++i) {
        auto* r = new QRadioButton(labels[i], group);
        m_pKind->addButton(r, i);
        gl->addWidget(r);
    }
    m_pKind->button(Horizontal)->setChecked(true);
    layout->addWidget(group);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &SaveToBmpDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString dir = QFileDialog::getExistingDirectory(this, "Save to", m_pFolder->text());
        if (!dir.isEmpty())
            m_pFolder->setText(dir);
    });
}

void SaveToBmpDialog::setFolder(const QString& folder) { m_pFolder->setText(folder); }
void SaveToBmpDialog::setFileName(const QString& name) { m_pName->setText(name); }
void SaveToBmpDialog::setKind(Kind kind) { m_pKind->button(kind)->setChecked(true); }
SaveToBmpDialog::Kind SaveToBmpDialog::kind() const { return static_cast<Kind>(m_pKind->checkedId()); }

void SaveToBmpDialog::setFormat(const QString& extension)
{
    const int i = m_pFormat->findData(extension.toLower());
    if (i >= 0)
        m_pFormat->setCurrentIndex(i);
}

QString SaveToBmpDialog::format() const { return m_pFormat->currentData().toString(); }

QString SaveToBmpDialog::targetPath() const
{
    QString folder = m_pFolder->text();
    if (!folder.isEmpty() && !folder.endsWith('/'))
        folder += '/';
    return withPictureExtension(folder + m_pName->text().trimmed(), format());
}

bool SaveToBmpDialog::save()
{
    if (m_pName->text().trimmed().isEmpty()) {
        showMessage("File Name field is empty!");
        return false;
    }
    if (!m_pOverview || !m_pOverview->forest())
        return false;
    const Kind k = kind();
    const int rows = m_pOverview->forest()->m_pPartner ? m_pOverview->forest()->m_pPartner->m_nLeaves : 0;
    if (k != Horizontal && m_pOverview->height() < 5 + 3 + 1 + kBarsWidth * rows) {
        showMessage("The height of dendrogram view is too small to draw the dendrogram and color mosaic with the "
                    "bars width of 10. \n\n Close the information bar (horizontal control bar) and try again");
        return false;
    }
    const QString path = targetPath();
    if (!mayOverwrite(path))
        return false;
    if (k == Horizontal)
        return m_pOverview->savePicture(path);
    // The mosaic for the full height, the other direction's dendrogram
    // beside it at the same rows.
    const int w = m_pOverview->width(), h = m_pOverview->height();
    const int side = CArxEntireView::kSideWidth + 10;
    CArxView* view = m_pOverview;
    CArxEntireView* entire = m_pEntire;
    const PictureDrawer draw = [view, entire, k, w, h](QPainter& p, int, int) {
        p.fillRect(0, 0, w + CArxEntireView::kSideWidth + 10, h, Qt::white);
        view->renderFullHeight(p, w, h, kBarsWidth, k == Both);
        if (entire) {
            const VerticalLayout v = view->fullHeightLayout(h, kBarsWidth);
            entire->drawSideDendrogram(p, w + 5, v.yLeaf + 1, CArxEntireView::kSideWidth, kBarsWidth, true);
        }
    };
    return savePictureFile(path, QSize(w + side, h), draw, true);
}

void SaveToBmpDialog::accept()
{
    if (save())
        QDialog::accept();
}
