#include "app/ui/CArxView.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPrintDialog>
#include <QPrinter>
#include <algorithm>
#include <cmath>

#include "app/CArxDoc.h"
#include "data/ColorMapping.h"
#include "app/TransformCaption.h"
#include "app/CutInfo.h"
#include "app/FlatTree.h"
#include "app/ui/DisplaySettings.h"
#include "app/ui/PictureExport.h"
#include "app/ui/ViewImage.h"
#include "app/ui/StripPainting.h"
#include "app/ui/ViewContext.h"
#include "cluster/Forest.h"
#include "data/DataMatrix.h"

// Per-forest working arrays of one drawing, kept between drawings so that a
// drawing allocates nothing once the sizes are known.
struct CArxView::ForestScratch {
    FlatTree tree;                        // the forest's tree in flat arrays
    const CForest* builtFor = nullptr;
    std::vector<int> clusterIds;          // the cut, left to right
    std::vector<int> stack;
    std::vector<int> clusterNo;           // per display position, 0 = alone
    std::vector<unsigned char> inPlace;   // per display position
    std::vector<int> placed;              // display positions in place, left to right
    std::vector<int> slotOf;              // display position -> slot
    std::vector<float> x;                 // per node id
    std::vector<int> minSlot, maxSlot;    // per node id
    std::vector<signed char> colour;      // per node id: 0 red, 1 blue, -1 below the cut
    std::vector<unsigned char> hasCluster;  // per node id: a cluster root at or under it
    std::vector<int> source;              // per display position: the node id whose profile colours the column
    std::vector<std::pair<int, int>> narrowRun;  // sub-pixel subtree lines waiting in one column

    void ensure(const CForest& f)
    {
        if (builtFor != &f) {
            tree.build(f);
            builtFor = &f;
        }
    }
};

namespace {

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);
const QColor kGrey(200, 200, 200);
const QColor kBarYellow(200, 200, 0);
const QColor kBarBlue(65, 105, 225);
const QColor kNoMosaicHover(237, 161, 255);

int nodeId(const CNode* n) { return n->isLeaf() ? n->m_nPosition : n->m_nIndex; }

QColor qcolor(Rgb c) { return QColor(c.r, c.g, c.b); }

} // namespace

CArxView::CArxView(CArxDoc* doc, int pair, QWidget* parent)
    : QWidget(parent), m_pDoc(doc), m_nPair(pair), m_pScratch(new ForestScratch), m_pScratch2(new ForestScratch)
{
    m_pMapping = &viewContext().mapping;
    m_bFilterOut = viewContext().filterOut;
    setWindowTitle("ArxDendrogramView");
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(50, 50);
}

CArxView::~CArxView()
{
    delete m_pScratch;
    delete m_pScratch2;
}

const DisplaySettings& CArxView::settings() const
{
    static const DisplaySettings defaults;
    if (m_pSettings)
        return *m_pSettings;
    return viewContext().settings ? *viewContext().settings : defaults;
}

bool CArxView::hasData() const { return m_pDoc && m_pDoc->m_bDataLoaded && m_pForest && m_pForest->m_nLeaves > 0; }

bool CArxView::withGap() const
{
    // The marker strip lies directly under the mosaic only in a row view
    // whose column forest has every column enabled.
    if (!m_bRowView || !m_pForest || !m_pForest->m_pPartner)
        return true;
    const CForest& cols = *m_pForest->m_pPartner;
    for (int p = 0; p < cols.m_nLeaves; ++p)
        if (!cols.leaf(p)->m_bEnabled)
            return true;
    return false;
}

float CArxView::detailCutoff() const { return static_cast<float>(similarityOfY(m_bars.yDetail, m_v.yLeaf, m_dZoom)); }

double CArxView::leafX(int position) const
{
    const int slot = slotOfPosition(position);
    if (slot < 0)
        return -1.0;
    return slot * m_h.spacing + m_h.spacing / 2.0 - m_h.scroll;
}

int CArxView::slotOfPosition(int position) const
{
    if (position < 0 || static_cast<size_t>(position) >= m_slotOf.size())
        return -1;
    return m_slotOf[static_cast<size_t>(position)];
}

void CArxView::sendHint(int hint)
{
    if (m_pDoc)
        m_pDoc->updateAllViews(this, hint);
}

// ------------------------------------------------------------------ layout

void CArxView::resetFromDocument()
{
    m_pForest = m_pForest2 = nullptr;
    m_bCompare = false;
    if (m_pDoc && m_pDoc->m_bDataLoaded && static_cast<size_t>(m_nPair) < m_pDoc->m_forestPairs.size()) {
        m_bRowView = m_pDoc->overviewShowsRows();
        CForestPair& pair = m_pDoc->m_forestPairs[static_cast<size_t>(m_nPair)];
        m_pForest = m_bRowView ? pair.m_pRows.get() : pair.m_pColumns.get();
        if (m_nPair == 0 && m_pDoc->m_bCompareMode) {
            m_pForest2 = m_bRowView ? m_pDoc->m_pRowForest2 : m_pDoc->m_pColForest2;
            m_bCompare = m_pForest2 != nullptr;
        }
    }
    // The trees may have been rebuilt in place: flatten them again.
    m_pScratch->builtFor = m_pScratch2->builtFor = nullptr;
    m_dZoom = 1.0;
    m_fMinSim = 0.5f;
    m_nLow = 0;
    m_nHigh = -1;
    m_nHovered = -1;
    m_bPinned = false;
    m_nHighlighted = m_nPrevHighlighted = -1;
    m_nColumnMarkFirst = m_nColumnMarkLast = -1;
    m_bSomethingHidden = false;
    m_bLinkLines = false;
    m_drag = Drag::Idle;
    verticalLayout();
    m_bars.yDetail = m_v.yLeaf + 1;
    if (m_pForest)
        computeCut(m_pForest, *m_pScratch, true);
    horizontalLayout(false);
    redraw();
}

void CArxView::verticalLayout()
{
    const int rows = m_pForest && m_pForest->m_pPartner ? m_pForest->m_pPartner->m_nLeaves : 0;
    const DisplaySettings& s = settings();
    const int yDetailOffset = m_bars.yDetail - m_v.yLeaf;
    m_v = ::verticalLayout(height() - stripRoomBelow(), rows, s.m_nBarHeight, 100, m_bCompare);
    // The detail bar rests on the leaf line.
    m_bars.yDetail = yDetailOffset >= 0 ? m_v.yLeaf + 1 : std::min(m_bars.yDetail, m_v.yLeaf);
    m_bars.yMin = static_cast<float>(yOfSimilarity(m_fMinSim, m_v.yLeaf, m_dZoom));
}

void CArxView::horizontalLayout(bool keepRange)
{
    if (!m_pForest) {
        m_slots.clear();
        m_slotOf.clear();
        return;
    }
    ForestScratch& s = *m_pScratch;
    computeCut(m_pForest, s, false);
    const int count = countInPlace(s.inPlace);
    if (!keepRange || m_nHigh < 0 || m_nHigh >= count) {
        m_nLow = 0;
        m_nHigh = count - 1;
    }
    m_h = layoutAcross(count);
    emit leafCountChanged(count);
    emit itemNamesAvailable(m_h.namesPossible);
}

void CArxView::setLeafRange(int low, int high)
{
    m_nLow = low;
    m_nHigh = high;
    if (!m_pForest)
        return;
    const int count = countInPlace(m_pScratch->inPlace);
    m_h = layoutAcross(count);
    emit itemNamesAvailable(m_h.namesPossible);
    redraw();
}

HorizontalLayout CArxView::layoutAcross(int count) const
{
    // Strips along the mosaic rows take a band at the left: the leaves are
    // laid out over the rest and shifted right by it.
    const int left = stripRoomLeft();
    HorizontalLayout h = ::horizontalLayout(std::max(1, width() - left), count, m_nLow, m_nHigh);
    h.scroll -= left;
    return h;
}

// ------------------------------------------------------------------ class strips

std::vector<const ClassStrip*> CArxView::stripsAlongLeaves() const
{
    // Strips sit beside the main result's mosaic (not a comparison's).
    if (!m_pDoc || m_nPair != 0 || m_bCompare || !m_pForest)
        return {};
    return m_pDoc->stripsOver(m_bRowView);
}

std::vector<const ClassStrip*> CArxView::stripsAlongRows() const
{
    if (!m_pDoc || m_nPair != 0 || m_bCompare || !m_pForest || !m_pForest->m_pPartner)
        return {};
    return m_pDoc->stripsOver(!m_bRowView);
}

int CArxView::stripRoomBelow() const { return stripBandSize(static_cast<int>(stripsAlongLeaves().size())); }

int CArxView::stripRoomLeft() const
{
    if (m_v.cellHeight <= 0)
        return 0;
    return stripBandSize(static_cast<int>(stripsAlongRows().size()));
}

void CArxView::drawStrips(QPainter& p, int width, int height, int legendTop)
{
    QImage* image = dynamic_cast<QImage*>(p.device());
    const std::vector<const ClassStrip*> below = stripsAlongLeaves();
    const std::vector<const ClassStrip*> left = m_v.cellHeight > 0 ? stripsAlongRows() : std::vector<const ClassStrip*>{};
    const int leftBand = stripBandSize(static_cast<int>(left.size()));
    const int belowTop = height - stripBandSize(static_cast<int>(below.size()));
    for (size_t i = 0; i < below.size(); ++i)
        paintHorizontalStrip(p, image, *below[i], *m_pForest, m_pScratch->placed, m_h.spacing, m_h.scroll, leftBand,
                             width, belowTop + kStripGap + static_cast<int>(i) * (kStripThickness + kStripGap),
                             kStripThickness);
    if (!left.empty()) {
        // A leaf left of the zoomed range may reach into the band: the band
        // is the strips' alone, from the leaf line down.
        p.fillRect(0, m_v.yLeaf + 1, leftBand, height - m_v.yLeaf - 1, Qt::white);
        const CForest& partner = *m_pForest->m_pPartner;
        std::vector<int> rows(static_cast<size_t>(partner.m_nLeaves));
        for (int r = 0; r < partner.m_nLeaves; ++r)
            rows[static_cast<size_t>(r)] = r;
        for (size_t i = 0; i < left.size(); ++i)
            paintVerticalStrip(p, *left[i], partner, rows,
                               kStripGap + static_cast<int>(i) * (kStripThickness + kStripGap), m_v.yLeaf + 1,
                               m_v.cellHeight, kStripThickness);
    }
    // The legends: under the colour scale bar, at the right.
    std::vector<const ClassStrip*> all = left;
    std::vector<const CForest*> along(left.size(), m_pForest->m_pPartner);
    for (const ClassStrip* s : below) {
        all.push_back(s);
        along.push_back(m_pForest);
    }
    paintStripLegends(p, m_legends.layout(m_pDoc->resultsRevision(), all, along, std::max(100, width - 12)),
                      QPoint(width - 6, legendTop), true);
}

bool CArxView::flipSubtree(int nodeIndex)
{
    if (!hasData() || !m_pDoc->flipSubtree(m_pForest, nodeIndex, this))
        return false;
    // The flat tree follows the flip instead of being built again.
    const bool followed = m_pScratch->builtFor == m_pForest && m_pScratch->tree.flipBranch(nodeIndex);
    followLeafOrder(followed);
    return true;
}

void CArxView::followLeafOrder(bool treeFollowed)
{
    // Same tree, cut and bars; the leaves changed places.
    if (!treeFollowed)
        m_pScratch->builtFor = nullptr;
    m_pScratch2->builtFor = nullptr;
    m_nHovered = -1;
    m_bPinned = false;
    computeCut(m_pForest, *m_pScratch, true);
    m_h = layoutAcross(countInPlace(m_pScratch->inPlace));
    redraw();
}

void CArxView::setFilterOut(bool filterOut)
{
    m_bFilterOut = filterOut;
    if (!hasData())
        return;
    clearHighlight();
    horizontalLayout(false);
    redraw();
}

// ------------------------------------------------------------------ the cut

void CArxView::computeCut(CForest* forest, ForestScratch& s, bool applyCut)
{
    s.ensure(*forest);
    const FlatTree& t = s.tree;
    if (applyCut) {
        flatCut(t, m_fMinSim, s.clusterIds);
        forest->m_clusters.clear();
        for (int id : s.clusterIds)
            forest->m_clusters.push_back(forest->m_pNodes[static_cast<size_t>(id)]);
    }
    s.clusterNo.assign(static_cast<size_t>(forest->m_nLeaves), 0);
    for (size_t c = 0; c < s.clusterIds.size(); ++c) {
        const size_t id = static_cast<size_t>(s.clusterIds[c]);
        std::fill(s.clusterNo.begin() + t.firstLeaf[id], s.clusterNo.begin() + t.lastLeaf[id] + 1,
                  static_cast<int>(c) + 1);
    }
    // A leaf takes a place unless hidden, or alone at the cut in filter-out
    // mode (with no cluster at all every shown leaf stays).
    const bool useCut = m_bFilterOut && !s.clusterIds.empty();
    s.inPlace.resize(static_cast<size_t>(forest->m_nLeaves));
    for (size_t pos = 0; pos < s.inPlace.size(); ++pos)
        s.inPlace[pos] = t.shown[pos] && (!useCut || s.clusterNo[pos] != 0);
}

// ------------------------------------------------------------------ drawing

void CArxView::redraw()
{
    renderFull();
    update();
}

void CArxView::refresh()
{
    if (!hasData())
        return;
    verticalLayout();
    redraw();
}

void CArxView::recolour()
{
    if (!hasData() || viewImageStale(m_image, this, size()) || m_pScratch->placed.empty()) {
        redraw();
        return;
    }
    QPainter p(&m_image);
    drawMosaic(&m_image, p, m_pForest, *m_pScratch, false, width());
    if (m_bCompare && m_pForest2)
        drawMosaic(&m_image, p, m_pForest2, *m_pScratch2, true, width());
    drawColumnMarks(p);
    if (settings().m_bShowColorScale)
        drawColorScale(p, width());
    update();
}

void CArxView::renderFull()
{
    const QSize size = this->size().expandedTo(QSize(1, 1));
    fitViewImage(m_image, this, size);
    m_image.fill(Qt::white);
    QPainter p(&m_image);
    render(p, size.width(), size.height());
}

void CArxView::render(QPainter& p, int width, int height)
{
    m_strInfo.clear();
    if (!hasData()) {
        p.fillRect(0, 0, width, height, Qt::white);
        return;
    }
    QImage* image = dynamic_cast<QImage*>(p.device());
    if (m_bNoTree) {
        drawForest(p, image, m_pForest, *m_pScratch, false, width, height);
        return;
    }
    drawForest(p, image, m_pForest, *m_pScratch, false, width, height);
    m_slots = m_pScratch->placed;
    m_slotOf = m_pScratch->slotOf;
    if (m_bCompare && m_pForest2)
        drawForest(p, image, m_pForest2, *m_pScratch2, true, width, height);
    drawColumnMarks(p);
    drawInfo(p, width);

    const DisplaySettings& st = settings();
    if (st.m_bShowMinSimBar && m_pForest->hasTree()) {
        const int y = static_cast<int>(m_bars.yMin);
        p.fillRect(0, y - 2, width, 2, kBarYellow);
        p.fillRect(0, y, width, 2, kBarBlue);
    }
    if (st.m_bShowDetailSimBar && m_pForest->hasTree() && m_v.cellHeight > 0) {
        // At rest the bar lies on the leaf line, over the mosaic's edge.
        const int yLine = std::min(m_bars.yDetail, m_v.yLeaf);
        QPen pen(Qt::black, 1, Qt::DotLine);
        p.setPen(pen);
        p.drawLine(0, yLine, width, yLine);
        if (m_drag == Drag::Detail) {
            const QString text = QString::asprintf("Detail Cutoff = %3.2lf", static_cast<double>(detailCutoff()));
            p.setFont(QFont("Arial", -1));
            QFont f("Arial");
            f.setPixelSize(13);
            p.setFont(f);
            const QFontMetrics fm(f);
            const int tw = fm.horizontalAdvance(text);
            const int y = m_bars.yDetail - fm.height() - 2 >= 0 ? m_bars.yDetail - fm.descent() - 2
                                                               : m_bars.yDetail + 2 + fm.ascent();
            p.setPen(Qt::black);
            p.drawText((width - tw) / 2, y, text);
        }
    }
    const int scaleBottom = st.m_bShowColorScale ? drawColorScale(p, width) : 0;
    drawStrips(p, width, height, std::max(6, scaleBottom + 4));
    if (m_nHighlighted >= 0 || m_bBandShown) {
        // The range the View popup works on.
    }
}

void CArxView::drawForest(QPainter& p, QImage* image, CForest* forest, ForestScratch& s, bool mirrored, int width,
                          int height)
{
    const int n = forest->m_nLeaves;
    const int nodes = forest->m_nNodes;
    const bool tree = forest->hasTree();
    computeCut(forest, s, true);  // every full drawing recomputes the cut
    const FlatTree& t = s.tree;
    s.placed.clear();
    s.slotOf.assign(static_cast<size_t>(n), -1);
    for (int pos = 0; pos < n; ++pos)
        if (s.inPlace[static_cast<size_t>(pos)]) {
            s.slotOf[static_cast<size_t>(pos)] = static_cast<int>(s.placed.size());
            s.placed.push_back(pos);
        }
    const double sp = m_h.spacing, scroll = m_h.scroll;
    auto yOf = [&](float sim) {
        const double y = yOfSimilarity(sim, m_v.yLeaf, m_dZoom);
        return mirrored ? height - y : y;
    };
    const int yLeafLine = mirrored ? height - m_v.yLeaf : m_v.yLeaf;

    // Highlighted node: a pale band behind its subtree.
    if (!mirrored && tree && !m_bNoTree && m_nHighlighted >= 0 && m_nHighlighted < nodes) {
        const CNode* h = forest->m_pNodes[static_cast<size_t>(m_nHighlighted)];
        auto [first, last] = forest->leafRange(h);
        int a = -1, b = -1;
        for (int pos = first; pos <= last; ++pos)
            if (s.slotOf[static_cast<size_t>(pos)] >= 0) {
                if (a < 0)
                    a = s.slotOf[static_cast<size_t>(pos)];
                b = s.slotOf[static_cast<size_t>(pos)];
            }
        if (a >= 0) {
            // At least 7 pixels wide, so that a small node shows too.
            double x0 = a * sp - scroll, x1 = (b + 1) * sp - scroll;
            if (x1 - x0 < 7.0) {
                const double c = (x0 + x1) / 2.0;
                x0 = c - 3.5;
                x1 = c + 3.5;
            }
            const double y0 = yOf(h->m_fSimilarity) - 4;
            p.fillRect(QRectF(x0, y0, x1 - x0, m_v.yLeaf - y0), QColor(255, 236, 139));
        }
    }

    // ---- dendrogram ----
    if (tree && !m_bNoTree) {
        const size_t count = static_cast<size_t>(nodes);
        s.x.assign(count, -1.0f);
        s.minSlot.assign(count, -1);
        s.maxSlot.assign(count, -1);
        s.colour.assign(count, -1);
        s.hasCluster.assign(count, 0);
        // Cluster colours, alternating left to right, go down the clusters.
        for (size_t c = 0; c < s.clusterIds.size(); ++c) {
            s.colour[static_cast<size_t>(s.clusterIds[c])] = static_cast<signed char>(c % 2);
            s.hasCluster[static_cast<size_t>(s.clusterIds[c])] = 1;
        }
        for (int id : t.pre) {  // parents first
            const size_t i = static_cast<size_t>(id);
            const signed char c = s.colour[i];
            if (c >= 0 && t.first[i] >= 0) {
                s.colour[static_cast<size_t>(t.first[i])] = c;
                s.colour[static_cast<size_t>(t.second[i])] = c;
            }
        }
        // Positions, children first; which subtrees hold a cluster.
        for (auto it = t.pre.rbegin(); it != t.pre.rend(); ++it) {
            const size_t id = static_cast<size_t>(*it);
            if (t.first[id] < 0) {
                const int slot = s.slotOf[id];
                if (slot >= 0) {
                    s.minSlot[id] = s.maxSlot[id] = slot;
                    s.x[id] = static_cast<float>(slot * sp + sp / 2.0 - scroll);
                }
                continue;
            }
            const size_t a = static_cast<size_t>(t.first[id]), b = static_cast<size_t>(t.second[id]);
            if (s.hasCluster[a] || s.hasCluster[b])
                s.hasCluster[id] = 1;
            if (s.minSlot[a] >= 0 && s.minSlot[b] >= 0) {
                s.minSlot[id] = s.minSlot[a];
                s.maxSlot[id] = s.maxSlot[b];
                s.x[id] = (s.x[a] + s.x[b]) / 2.0f;
            } else if (s.minSlot[a] >= 0 || s.minSlot[b] >= 0) {
                const size_t c = s.minSlot[a] >= 0 ? a : b;
                s.minSlot[id] = s.minSlot[c];
                s.maxSlot[id] = s.maxSlot[c];
                s.x[id] = s.x[c];
            }
        }
        // Lines go straight into an RGB32 image (they are all horizontal or
        // vertical, one pixel wide); other devices (printer, SVG, PDF) get
        // them through the painter. The grey lines are dotted: one pixel of
        // three, counted from the image's origin so that lines meet evenly.
        const QPen pens[3] = {QPen(kRed, 1), QPen(kBlue, 1), QPen(kGrey, 1, Qt::DotLine)};
        const uint32_t argb[3] = {kRed.rgb(), kBlue.rgb(), kGrey.rgb()};
        const bool direct = writesPixelsDirectly(image);
        uchar* bits = direct ? image->bits() : nullptr;
        const qsizetype stride = direct ? image->bytesPerLine() : 0;
        const int W = direct ? image->width() : 0, H = direct ? image->height() : 0;
        int currentPen = -2;
        auto usePen = [&](int c) {
            if (!direct && c != currentPen) {
                p.setPen(pens[c < 0 ? 2 : c]);
                currentPen = c;
            }
        };
        // Lines of subtrees narrower than a pixel all run down to the leaf
        // line, and many of them share a pixel column: each one drawn over
        // the one before. A run of them in one column is kept and written
        // once, from the last to the first, each pixel by the line that
        // would have been drawn over it last (the same pixels as drawing
        // them in order).
        int runX = -1;
        std::vector<std::pair<int, int>>& run = s.narrowRun;  // (colour, top y)
        run.clear();
        auto flushRun = [&] {
            if (run.empty())
                return;
            const int yb = std::min(yLeafLine, H - 1);
            int solidTop = yb + 1, dotTop = yb + 1;
            for (auto it = run.rbegin(); it != run.rend(); ++it) {
                const int c = it->first;
                const int lo = std::max(it->second, 0);
                const uint32_t colour = argb[c < 0 ? 2 : c];
                for (int y = lo; y < solidTop; ++y) {
                    const bool dot = y % 3 == 0;
                    if (c < 0 ? dot : !(dot && y >= dotTop))
                        reinterpret_cast<uint32_t*>(bits + y * stride)[runX] = colour;
                }
                if (c < 0)
                    dotTop = std::min(dotTop, lo);
                else
                    solidTop = std::min(solidTop, lo);
            }
            run.clear();
        };
        auto vline = [&](int c, int x, int ya, int yb) {
            flushRun();
            if (!direct) {
                p.drawLine(x, ya, x, yb);
                return;
            }
            if (x < 0 || x >= W)
                return;
            if (ya > yb)
                std::swap(ya, yb);
            ya = std::max(ya, 0);
            yb = std::min(yb, H - 1);
            const uint32_t colour = argb[c < 0 ? 2 : c];
            for (int y = ya; y <= yb; ++y)
                if (c >= 0 || y % 3 == 0)
                    reinterpret_cast<uint32_t*>(bits + y * stride)[x] = colour;
        };
        auto narrowLine = [&](int c, int x, int ya) {
            if (!direct || mirrored || x < 0 || x >= W || ya > yLeafLine) {
                vline(c, x, ya, yLeafLine);
                return;
            }
            if (x != runX)
                flushRun();
            runX = x;
            run.emplace_back(c, ya);
        };
        auto hline = [&](int c, int y, int xa, int xb) {
            flushRun();
            if (!direct) {
                p.drawLine(xa, y, xb, y);
                return;
            }
            if (y < 0 || y >= H)
                return;
            if (xa > xb)
                std::swap(xa, xb);
            xa = std::max(xa, 0);
            xb = std::min(xb, W - 1);
            uint32_t* line = reinterpret_cast<uint32_t*>(bits + y * stride);
            const uint32_t colour = argb[c < 0 ? 2 : c];
            for (int x = xa; x <= xb; ++x)
                if (c >= 0 || x % 3 == 0)
                    line[x] = colour;
        };
        // Pre-order from the root, skipping what is not in place or not in
        // the visible range.
        s.stack.clear();
        s.stack.push_back(t.root);
        while (!s.stack.empty()) {
            const size_t id = static_cast<size_t>(s.stack.back());
            s.stack.pop_back();
            if (t.first[id] < 0 || s.minSlot[id] < 0)
                continue;  // a leaf, or nothing of it in place
            const double left = s.minSlot[id] * sp - scroll, right = (s.maxSlot[id] + 1) * sp - scroll;
            if (right < 0 || left > width)
                continue;
            const signed char c = s.colour[id];
            const double yNode = yOf(t.sim[id]);
            if ((s.maxSlot[id] - s.minSlot[id] + 1) * sp < 1.0) {
                // Narrower than a pixel: every line of the subtree falls in
                // one pixel column. One line in the node's colour down to the
                // leaf line; below the cut, only the children holding a
                // cluster are drawn over it in their colours.
                usePen(c);
                const int xi = static_cast<int>(s.x[id]);
                narrowLine(c, xi, static_cast<int>(yNode));
                if (c < 0)
                    for (int k : {t.second[id], t.first[id]})
                        if (s.hasCluster[static_cast<size_t>(k)])
                            s.stack.push_back(k);
                continue;
            }
            usePen(c);
            double xs[2];
            int drawn = 0;
            for (int k : {t.first[id], t.second[id]}) {
                const size_t kid = static_cast<size_t>(k);
                if (s.minSlot[kid] < 0)
                    continue;
                const double yk = t.first[kid] < 0 ? yLeafLine : yOf(t.sim[kid]);
                const int xk = static_cast<int>(s.x[kid]);
                vline(c, xk, static_cast<int>(yk), static_cast<int>(yNode));
                xs[drawn++] = xk;
            }
            if (drawn == 2)
                hline(c, static_cast<int>(yNode), static_cast<int>(xs[0]), static_cast<int>(xs[1]));
            s.stack.push_back(t.second[id]);
            s.stack.push_back(t.first[id]);
        }
        flushRun();
    }

    // ---- mosaic ----
    drawMosaic(image, p, forest, s, mirrored, width);

    // ---- item names ----
    if (!mirrored && settings().m_bShowItemNames && m_h.namesPossible) {
        QFont f("Arial");
        f.setBold(true);
        f.setPixelSize(std::max(1, static_cast<int>(std::min(sp, 15.0))));
        p.setFont(f);
        p.setPen(Qt::black);
        const int first = std::max(0, static_cast<int>(scroll / sp));
        const int last = std::min(static_cast<int>(s.placed.size()) - 1, static_cast<int>((scroll + width) / sp));
        const QFontMetrics fm(f);
        for (int slot = first; slot <= last; ++slot) {
            const int pos = s.placed[static_cast<size_t>(slot)];
            const double x = slot * sp + sp / 2.0 - scroll;
            p.save();
            p.translate(x + fm.ascent() / 2.0 - 1, m_v.yLeaf - 3);
            p.rotate(-90);
            p.drawText(0, 0, QString::fromStdString(forest->leaf(pos)->m_strName));
            p.restore();
        }
    }

    drawMarkers(p, forest, s, mirrored, width);
}

void CArxView::drawMosaic(QImage* image, QPainter& p, CForest* forest, ForestScratch& s, bool mirrored, int width)
{
    const int ch = m_v.cellHeight;
    if (ch <= 0 || !m_pMapping || !forest->m_pPartner)
        return;
    const int rows = forest->m_pPartner->m_nLeaves;
    const int n = forest->m_nLeaves;
    const double sp = m_h.spacing, scroll = m_h.scroll;
    const int top = mirrored ? (logicalSize(p.device()).height() - m_v.yLeaf - m_v.mosaicHeight) : m_v.yLeaf + 1;

    // The node whose profile colours each column: the leaf itself, or the
    // topmost node above the detail cutoff.
    s.source.resize(static_cast<size_t>(n));
    for (int pos = 0; pos < n; ++pos)
        s.source[static_cast<size_t>(pos)] = pos;
    const float cutoff = detailCutoff();
    const FlatTree& t = s.tree;
    if (!mirrored && t.root >= 0 && cutoff < 1.0f && m_bars.yDetail <= m_v.yLeaf) {
        s.stack.clear();
        s.stack.push_back(t.root);
        while (!s.stack.empty()) {
            const size_t id = static_cast<size_t>(s.stack.back());
            s.stack.pop_back();
            if (t.first[id] < 0)
                continue;
            if (t.sim[id] > cutoff) {
                std::fill(s.source.begin() + t.firstLeaf[id], s.source.begin() + t.lastLeaf[id] + 1,
                          static_cast<int>(id));
                continue;
            }
            s.stack.push_back(t.second[id]);
            s.stack.push_back(t.first[id]);
        }
    }

    const ColorMapping& map = *m_pMapping;
    const uint32_t missing = argbOf(kMissingColor), missingWashed = argbOf(washColor(kMissingColor));
    const bool direct = writesPixelsDirectly(image) && !mirrored;
    const int imageHeight = logicalSize(p.device()).height();
    uchar* bits = direct ? image->bits() : nullptr;
    const qsizetype stride = direct ? image->bytesPerLine() : 0;
    forEachLeafSpan(s.placed.size(), sp, scroll, 0, width, [&](size_t slot, int x0, int x1) {
        const int pos = s.placed[slot];
        const CNode* src = forest->m_pNodes[static_cast<size_t>(s.source[static_cast<size_t>(pos)])];
        const bool washed = !s.clusterNo.empty() && forest->hasTree() && !forest->m_clusters.empty() &&
                            s.clusterNo[static_cast<size_t>(pos)] == 0;
        const float* values = src->m_pValues;
        const float* weights = src->m_pWeights;
        for (int r = 0; r < rows; ++r) {
            uint32_t colour;
            if (!values || (weights && weights[r] == -1.0f)) {
                colour = washed ? missingWashed : missing;
            } else {
                const Rgb c = map.colorOf(values[r]);
                colour = argbOf(washed ? washColor(c) : c);
            }
            const int y0 = top + r * ch;
            if (direct) {
                for (int y = std::max(y0, 0); y < std::min(y0 + ch, imageHeight); ++y) {
                    uint32_t* line = reinterpret_cast<uint32_t*>(bits + y * stride);
                    std::fill(line + x0, line + x1, colour);
                }
            } else {
                p.fillRect(x0, y0, x1 - x0, ch, QColor::fromRgb(colour));
            }
        }
    });
}

void CArxView::drawMarkers(QPainter& p, CForest* forest, ForestScratch& s, bool mirrored, int width)
{
    if (!m_pDoc)
        return;
    const std::vector<int>& sel = m_bRowView ? m_pDoc->m_selectedItems : m_pDoc->m_selectedVariables;
    QVector<double> fractions;
    if (sel.empty()) {
        if (!mirrored)
            emit markersChanged(fractions, qcolor(m_pDoc->m_clrSelection));
        return;
    }
    const int height = logicalSize(p.device()).height();
    const int top = markerStripTop(m_v, withGap());
    const int y0 = mirrored ? height - top - kMarkerStripHeight : top;
    QPolygonF tri(3);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(qcolor(m_pDoc->m_clrSelection));
    p.setRenderHint(QPainter::Antialiasing, false);
    const double sp = m_h.spacing, scroll = m_h.scroll;
    const int total = static_cast<int>(s.placed.size());
    int lastX = -100;
    for (int slot = 0; slot < total; ++slot) {
        const int pos = s.placed[static_cast<size_t>(slot)];
        if (!std::binary_search(sel.begin(), sel.end(), forest->dataIndex(pos)))
            continue;
        fractions.push_back(total > 0 ? (slot + 0.5) / total : 0.0);
        const double x = slot * sp + sp / 2.0 - scroll;
        if (x < -5 || x > width + 5 || static_cast<int>(x) == lastX)
            continue;
        lastX = static_cast<int>(x);
        if (!mirrored) {
            tri[0] = QPointF(x, y0);
            tri[1] = QPointF(x - 5, y0 + kMarkerStripHeight - 1);
            tri[2] = QPointF(x + 5, y0 + kMarkerStripHeight - 1);
        } else {
            tri[0] = QPointF(x, y0 + kMarkerStripHeight - 1);
            tri[1] = QPointF(x - 5, y0);
            tri[2] = QPointF(x + 5, y0);
        }
        p.drawPolygon(tri);
    }
    p.setBrush(Qt::NoBrush);
    if (!mirrored)
        emit markersChanged(fractions, qcolor(m_pDoc->m_clrSelection));
}

void CArxView::drawInfo(QPainter& p, int width)
{
    if (!settings().m_bShowClusterInfo || !m_pForest->hasTree())
        return;
    m_strInfo = QString::fromStdString(clusteringInfoText(*m_pForest, m_fMinSim));
    QFont f("Arial");
    f.setPixelSize(13);
    p.setFont(f);
    const QFontMetrics fm(f);
    const int lineH = fm.height();
    const int y = m_bars.yMin >= 2 * lineH + 2 ? static_cast<int>(m_bars.yMin) - 2 - fm.descent() - 2
                                               : static_cast<int>(m_bars.yMin) + 2 + fm.ascent();
    const QRect r(4, y - fm.ascent(), std::min(width - 8, fm.horizontalAdvance(m_strInfo) + 6), lineH);
    p.fillRect(r, QColor(255, 255, 255, 220));
    p.setPen(Qt::black);
    p.drawText(7, y, m_strInfo);
}

int CArxView::drawColorScale(QPainter& p, int width)
{
    if (!m_pMapping)
        return 0;
    const ColorMapping& map = *m_pMapping;
    const int rampW = std::min(200, width / 4);
    if (rampW < 40)
        return 0;
    QFont caption("Arial");
    caption.setPixelSize(15);
    const QFontMetrics cm(caption);
    QFont small("Arial");
    small.setPixelSize(11);
    const QFontMetrics sm(small);
    const int x0 = width - rampW - 12;
    const int y0 = 6;
    // Under the range, how the values were transformed (two lines at most).
    const QString values = m_pDoc ? QString::fromStdString(transformationCaption(*m_pDoc)) : QString();
    const int captionH = values.isEmpty() ? 0 : 2 * sm.height() + 2;
    const int boxHeight = cm.height() + 20 + sm.height() + 8 + captionH;
    p.fillRect(x0 - 6, y0 - 2, rampW + 12, boxHeight, Qt::white);
    p.setFont(caption);
    p.setPen(Qt::black);
    p.drawText(x0, y0 + cm.ascent(), "Color Scale Bar");
    const int ry = y0 + cm.height() + 2;
    // The bar's own drawing rule over the data range.
    for (int i = 0; i < rampW; ++i) {
        const double v = map.m_fDataMin + (static_cast<double>(map.m_fDataMax) - map.m_fDataMin) * i / (rampW - 1);
        p.fillRect(x0 + i, ry, 1, 20, qcolor(map.colorOf(static_cast<float>(v))));
    }
    p.setPen(Qt::black);
    p.drawRect(x0 - 1, ry - 1, rampW + 1, 21);
    p.setFont(small);
    const QString lo = QString::asprintf("%.2f", static_cast<double>(map.m_fDataMin));
    const QString hi = QString::asprintf("%.2f", static_cast<double>(map.m_fDataMax));
    p.drawText(x0, ry + 22 + sm.ascent(), lo);
    p.drawText(x0 + rampW - sm.horizontalAdvance(hi), ry + 22 + sm.ascent(), hi);
    if (captionH > 0)
        p.drawText(QRect(x0, ry + 24 + sm.height(), rampW, captionH), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                   values);
    return y0 - 2 + boxHeight;
}

void CArxView::drawColumnMarks(QPainter& p)
{
    // 3007 in a row view: the picked column range across the full width.
    if (!m_bRowView || m_nColumnMarkFirst < 0 || m_v.cellHeight <= 0)
        return;
    const int top = m_v.yLeaf + 1 + m_nColumnMarkFirst * m_v.cellHeight;
    const int bottom = m_v.yLeaf + 1 + (m_nColumnMarkLast + 1) * m_v.cellHeight - 1;
    const int w = logicalSize(p.device()).width();
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(0, top - 1, w, top - 1);
    p.drawLine(0, bottom + 1, w, bottom + 1);
    p.setPen(QPen(Qt::yellow, 1));
    p.drawLine(0, top, w, top);
    p.drawLine(0, bottom, w, bottom);
}

void CArxView::drawHover(QPainter& p)
{
    if (!hasData() || m_nHovered < 0)
        return;
    const int slot = slotOfPosition(m_nHovered);
    if (slot < 0)
        return;
    const double sp = m_h.spacing;
    const double left = slot * sp - m_h.scroll;
    const double x = left + sp / 2.0;
    if (x < 0 || x > width())
        return;
    const CNode* leaf = m_pForest->leaf(m_nHovered);
    if (m_v.cellHeight > 0) {
        p.setPen(QPen(Qt::yellow, 1));
        p.setBrush(Qt::NoBrush);
        const int x0 = static_cast<int>(std::floor(left));
        const int w = std::max(1, static_cast<int>(std::ceil(sp)));
        p.drawRect(x0 - 1, m_v.yLeaf, w + 1, m_v.mosaicHeight + 1);
    } else {
        p.setPen(QPen(kNoMosaicHover, 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(left - 1, m_v.yLeaf - 1, sp + 2, m_v.mosaicHeight + 3));
    }
    QFont f("Arial");
    f.setPixelSize(13);
    f.setBold(true);
    p.setFont(f);
    const QFontMetrics fm(f);
    const QString label = QString::fromStdString(leaf->m_strName);
    int tx = static_cast<int>(x) + 3;
    const int tw = fm.horizontalAdvance(label);
    if (tx + tw > width() - 2)
        tx = std::max(0, width() - 2 - tw);
    const QRect box(tx - 2, m_v.yLeaf - 3 - fm.height(), tw + 4, fm.height());
    p.fillRect(box, QColor(255, 255, 224));
    p.setPen(Qt::black);
    p.drawRect(box);
    p.drawText(tx, m_v.yLeaf - 3 - fm.descent(), label);
    // Tall cells: the value of each cell beside the column.
    if (m_v.cellHeight >= 9 && m_pForest->m_pPartner && leaf->m_pValues) {
        QFont vf("Arial");
        vf.setPixelSize(std::min(m_v.cellHeight - 1, 12));
        p.setFont(vf);
        const QFontMetrics vm(vf);
        const CForest& partner = *m_pForest->m_pPartner;
        int vx = static_cast<int>(left + sp) + 3;
        for (int r = 0; r < partner.m_nLeaves; ++r) {
            const bool missing = leaf->m_pWeights && leaf->m_pWeights[r] == -1.0f;
            const QString t = QString::fromStdString(partner.leaf(r)->m_strName) + "  " +
                              (missing ? QString("-") : QString::asprintf("%.2f", static_cast<double>(leaf->m_pValues[r])));
            const int w = vm.horizontalAdvance(t);
            int bx = vx;
            if (bx + w > width())
                bx = static_cast<int>(left) - 3 - w;
            const int y = m_v.yLeaf + 1 + r * m_v.cellHeight;
            p.fillRect(bx - 1, y, w + 2, m_v.cellHeight, QColor(255, 255, 224, 230));
            p.setPen(Qt::black);
            p.drawText(bx, y + (m_v.cellHeight + vm.ascent() - vm.descent()) / 2, t);
        }
    }
}

void CArxView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (viewImageStale(m_image, this, size()))
        renderFull();
    p.drawImage(0, 0, m_image);
    drawHover(p);
    if (m_drag == Drag::Band) {
        p.setPen(QPen(Qt::yellow, 1));
        p.setBrush(Qt::NoBrush);
        const int x0 = std::min(m_bandStart.x(), m_bandEnd.x()), x1 = std::max(m_bandStart.x(), m_bandEnd.x());
        p.drawRect(x0, m_v.yLeaf, x1 - x0, m_v.mosaicHeight + 1);
    } else if (m_bBandShown && m_nBandFirst >= 0) {
        const double a = leafX(m_nBandFirst), b = leafX(m_nBandLast);
        if (a >= 0 && b >= 0) {
            p.setPen(QPen(Qt::yellow, 3));
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRectF(a - m_h.spacing / 2.0, m_v.yLeaf, b - a + m_h.spacing, m_v.mosaicHeight + 2));
        }
    }
    if (m_drag == Drag::MinSim && !settings().m_bMouseMoveUpdate) {
        // Live update off: only the bar and its value move.
        const int y = static_cast<int>(m_bars.yMin);
        p.fillRect(0, y - 2, width(), 2, kBarYellow);
        p.fillRect(0, y, width(), 2, kBarBlue);
        QFont f("Arial");
        f.setPixelSize(13);
        p.setFont(f);
        const QString t = QString::asprintf("Minimum Similarity = %5.3f",
                                            similarityOfY(m_bars.yMin, m_v.yLeaf, m_dZoom));
        const QFontMetrics fm(f);
        p.setPen(Qt::black);
        p.drawText(width() - fm.horizontalAdvance(t) - 4, y + 3 + fm.ascent(), t);
    }
    if (m_bLinkLines && m_bCompare && m_pForest2 && m_nHighlighted >= 0) {
        // Where the second method placed the highlighted node's leaves.
        const CNode* h = m_pForest->m_pNodes[static_cast<size_t>(m_nHighlighted)];
        auto [first, last] = m_pForest->leafRange(h);
        const QColor frame = m_v.cellHeight > 0 ? QColor(Qt::yellow) : QColor(60, 180, 120);
        p.setPen(QPen(frame, 2));
        const double a = leafX(first), b = leafX(last);
        if (a >= 0 && b >= 0)
            p.drawRect(QRectF(a - m_h.spacing / 2.0, m_v.yLeaf, b - a + m_h.spacing, m_v.mosaicHeight));
        p.setPen(QPen(QColor(180, 180, 180), 1));
        const ForestScratch& s2 = *m_pScratch2;
        std::vector<int> posOf(static_cast<size_t>(m_pForest2->m_nLeaves), -1);
        for (int q = 0; q < m_pForest2->m_nLeaves; ++q) {
            const int d = m_pForest2->dataIndex(q);
            if (d >= 0 && static_cast<size_t>(d) < posOf.size())
                posOf[static_cast<size_t>(d)] = q;
        }
        for (int pos = first; pos <= last; ++pos) {
            const double x = leafX(pos);
            const int d = m_pForest->dataIndex(pos);
            if (x < 0 || d < 0 || static_cast<size_t>(d) >= posOf.size())
                continue;
            const int q = posOf[static_cast<size_t>(d)];
            if (q < 0 || static_cast<size_t>(q) >= s2.slotOf.size() || s2.slotOf[static_cast<size_t>(q)] < 0)
                continue;
            const double x2 = s2.slotOf[static_cast<size_t>(q)] * m_h.spacing + m_h.spacing / 2.0 - m_h.scroll;
            p.drawLine(QPointF(x, m_v.yLeaf + m_v.mosaicHeight + 5),
                       QPointF(x2, height() - m_v.mosaicHeight - m_v.yLeaf - 5));
        }
    }
}

void CArxView::resizeEvent(QResizeEvent*)
{
    if (!hasData()) {
        renderFull();
        return;
    }
    verticalLayout();
    const int count = countInPlace(m_pScratch->inPlace);
    if (m_nHigh < 0 || m_nHigh >= count) {
        m_nLow = 0;
        m_nHigh = count - 1;
    }
    m_h = layoutAcross(count);
    emit itemNamesAvailable(m_h.namesPossible);
    renderFull();
}

// ------------------------------------------------------------------ hints

void CArxView::onUpdate(CDocObserver* sender, int hint)
{
    switch (hint) {
    case kHintResultsChanged:
    case kHintDirectionSwitched:
        resetFromDocument();
        break;
    case kHintItemSelection:
    case kHintVariableSelection:
        if ((hint == kHintItemSelection) != m_bRowView || !hasData())
            break;
        m_nHighlighted = m_nPrevHighlighted = -1;
        m_bBandShown = false;
        redraw();
        break;
    case kHintCurrentItem:
    case kHintCurrentVariable: {
        if ((hint == kHintCurrentItem) != m_bRowView || !hasData())
            break;
        m_bPinned = false;
        const int d = m_bRowView ? m_pDoc->m_nCurrentItem : m_pDoc->m_nCurrentVariable;
        int pos = -1;
        for (int q = 0; q < m_pForest->m_nLeaves && d >= 0; ++q)
            if (m_pForest->dataIndex(q) == d) {
                pos = q;
                break;
            }
        m_nHovered = pos;
        update();
        break;
    }
    case kHintVariableSubtree:
        if (!hasData())
            break;
        if (m_bRowView) {
            const CForest* cols = m_pForest->m_pPartner;
            m_nColumnMarkFirst = m_nColumnMarkLast = -1;
            if (cols && cols->m_nSelectedNode >= 0 && cols->m_nSelectedNode < cols->m_nNodes) {
                auto [a, b] = cols->leafRange(cols->m_pNodes[static_cast<size_t>(cols->m_nSelectedNode)]);
                m_nColumnMarkFirst = a;
                m_nColumnMarkLast = b;
            }
        }
        redraw();
        break;
    case kHintNewData:
        m_pForest = m_pForest2 = nullptr;
        m_pScratch->builtFor = m_pScratch2->builtFor = nullptr;
        m_slots.clear();
        m_slotOf.clear();
        m_nHovered = -1;
        m_nHighlighted = m_nPrevHighlighted = -1;
        m_image.fill(Qt::white);
        emit leafCountChanged(0);
        update();
        break;
    case kHintColorMapping:
        if (hasData())
            recolour();
        break;
    case kHintAnnotation:  // the item labels changed
        if (hasData())
            redraw();
        break;
    case kHintMosaicHeight:
        if (hasData()) {
            verticalLayout();
            redraw();
        }
        break;
    case kHintSelectionColor:
        if (hasData())
            redraw();
        break;
    case kHintLeafOrder:
        if (hasData())
            followLeafOrder();
        break;
    case kHintClassStrips:
        if (hasData()) {
            verticalLayout();
            m_h = layoutAcross(countInPlace(m_pScratch->inPlace));
            redraw();
        }
        break;
    default:
        break;
    }
    (void)sender;
}

// ------------------------------------------------------------------ pointer

void CArxView::setMinSimilarityFromY(float y)
{
    m_bars.yMin = y;
    m_fMinSim = static_cast<float>(similarityOfY(y, m_v.yLeaf, m_dZoom));
}

void CArxView::finishMinSimDrag()
{
    computeCut(m_pForest, *m_pScratch, true);
    horizontalLayout(false);
    redraw();
}

bool CArxView::applyTypedMinSimilarity(double v)
{
    if (!(v > 0.0 && v < 1.0) || !hasData())
        return false;
    m_fMinSim = static_cast<float>(v);
    m_bars.yMin = static_cast<float>(yOfSimilarity(v, m_v.yLeaf, m_dZoom));
    clearHighlight();
    finishMinSimDrag();
    sendHint(kHintMinSimilarity);
    return true;
}

const CNode* CArxView::nodeAt(const QPoint& pt) const
{
    // The lowest branch whose horizontal line lies within 3 pixels above or
    // below the point and whose leaves span its x; else the branch whose
    // subtree column holds the point between its line and the leaf line,
    // the deepest one.
    if (!m_pForest || !m_pForest->hasTree())
        return nullptr;
    const ForestScratch& s = *m_pScratch;
    const double sp = m_h.spacing;
    const CNode* best = nullptr;
    std::vector<const CNode*> stack{m_pForest->root()};
    while (!stack.empty()) {
        const CNode* node = stack.back();
        stack.pop_back();
        if (node->isLeaf())
            continue;
        const size_t id = static_cast<size_t>(nodeId(node));
        if (id >= s.minSlot.size() || s.minSlot[id] < 0)
            continue;
        const double left = s.minSlot[id] * sp + sp / 2.0 - m_h.scroll - 2;
        const double right = s.maxSlot[id] * sp + sp / 2.0 - m_h.scroll + 2;
        const double y = yOfSimilarity(node->m_fSimilarity, m_v.yLeaf, m_dZoom);
        if (pt.x() < left || pt.x() > right || pt.y() < y - 3)
            continue;
        best = node;  // deeper nodes come later
        stack.push_back(node->m_pSecond);
        stack.push_back(node->m_pFirst);
    }
    return best;
}

void CArxView::highlightNode(const CNode* node)
{
    m_nPrevHighlighted = m_nHighlighted;
    m_nHighlighted = node ? node->m_nIndex : -1;
    if (!node || m_nHighlighted == m_nPrevHighlighted)
        return;
    m_pForest->m_nSelectedNode = m_nHighlighted;
    auto [first, last] = m_pForest->leafRange(node);
    QVector<int> d = dataIndices(first, last);
    std::vector<int> sel(d.begin(), d.end());
    std::sort(sel.begin(), sel.end());
    if (m_bRowView) {
        m_pDoc->setItemSelection(sel, this);
        redraw();
        // setItemSelection tells the others (3003).
    } else {
        m_pDoc->setVariableSelection(sel, this);
        redraw();
        sendHint(kHintVariableSubtree);
    }
}

void CArxView::clearHighlight()
{
    m_nHighlighted = m_nPrevHighlighted = -1;
    if (m_pForest)
        m_pForest->m_nSelectedNode = -1;
    m_bLinkLines = false;
}

void CArxView::setHovered(int position, bool pinned)
{
    const bool changed = position != m_nHovered;
    m_nHovered = position;
    m_bPinned = pinned && position >= 0;
    if (!changed)
        return;
    const int d = position >= 0 ? m_pForest->dataIndex(position) : -1;
    if (m_bRowView)
        m_pDoc->setCurrentItem(d, this);
    else
        m_pDoc->setCurrentVariable(d, this);
    update();
}

void CArxView::mouseMoveEvent(QMouseEvent* e)
{
    if (!hasData())
        return;
    const QPoint pt = e->position().toPoint();
    switch (m_drag) {
    case Drag::MinSim: {
        clearHighlight();
        BarPositions b = m_bars;
        dragMinSimBar(b, pt.y(), m_v.yLeaf);
        m_bars = b;
        setMinSimilarityFromY(m_bars.yMin);
        if (settings().m_bMouseMoveUpdate) {
            redraw();  // recomputes the cut
            sendHint(kHintMinSimilarity);
        } else {
            update();
        }
        return;
    }
    case Drag::Detail: {
        BarPositions b = m_bars;
        dragDetailBar(b, pt.y(), m_v.yLeaf);
        if (b.yMin != m_bars.yMin)
            setMinSimilarityFromY(b.yMin);
        m_bars = b;
        redraw();
        return;
    }
    case Drag::Band:
        m_bandEnd = pt;
        update();
        return;
    case Drag::Idle:
        break;
    }
    if ((settings().m_bShowMinSimBar && inMinSimZone(pt.y(), m_bars)) ||
        (settings().m_bShowDetailSimBar && inDetailZone(pt.y(), m_bars)))
        setCursor(Qt::SizeVerCursor);
    else
        unsetCursor();
    if (m_bPinned)
        return;
    if (pt.y() > m_v.yLeaf && pt.y() < m_v.yLeaf + std::max(m_v.mosaicHeight, 1) + (m_v.mosaicHeight ? 0 : 1))
        setHovered(leafAtX(pt.x(), m_h, m_slots), false);
    else if (m_nHovered >= 0)
        setHovered(-1, false);
}

void CArxView::leaveEvent(QEvent*)
{
    if (hasData() && !m_bPinned && m_nHovered >= 0 && m_drag == Drag::Idle)
        setHovered(-1, false);
}

void CArxView::mousePressEvent(QMouseEvent* e)
{
    if (!hasData())
        return;
    const QPoint pt = e->position().toPoint();
    const DisplaySettings& st = settings();
    if (e->button() == Qt::RightButton) {
        m_drag = Drag::Band;
        m_bandStart = m_bandEnd = pt;
        m_bBandShown = false;
        return;
    }
    if (e->button() != Qt::LeftButton)
        return;
    if (st.m_bShowDetailSimBar && inDetailZone(pt.y(), m_bars)) {
        m_drag = Drag::Detail;
        setCursor(Qt::SizeVerCursor);
        return;
    }
    if (st.m_bShowMinSimBar && inMinSimZone(pt.y(), m_bars)) {
        m_drag = Drag::MinSim;
        setCursor(Qt::SizeVerCursor);
        return;
    }
    if (pt.y() > m_bars.yMin && pt.y() <= m_v.yLeaf) {
        const CNode* node = nodeAt(pt);
        if (node) {
            highlightNode(node);
        } else {
            clearHighlight();
            redraw();
        }
        return;
    }
    if (pt.y() > m_v.yLeaf && pt.y() <= m_v.yLeaf + m_v.mosaicHeight) {
        const int leaf = leafAtX(pt.x(), m_h, m_slots);
        if (m_bPinned && leaf == m_nHovered) {
            m_bPinned = false;
            setHovered(-1, false);
        } else {
            const int before = m_nHovered;
            setHovered(leaf, true);
            if (before == leaf && m_bRowView)
                sendHint(kHintCurrentItem);
        }
        return;
    }
    if (pt.y() <= m_bars.yMin && pt.y() < m_v.yLeaf - 14) {
        clearHighlight();
        if (m_bRowView)
            m_pDoc->setItemSelection({}, this);
        else
            m_pDoc->setVariableSelection({}, this);
        redraw();
    }
}

void CArxView::mouseReleaseEvent(QMouseEvent* e)
{
    const Drag was = m_drag;
    m_drag = Drag::Idle;
    if (!hasData())
        return;
    const QPoint pt = e->position().toPoint();
    switch (was) {
    case Drag::MinSim:
        finishMinSimDrag();
        if (!settings().m_bMouseMoveUpdate)
            sendHint(kHintMinSimilarity);
        break;
    case Drag::Detail:
        redraw();
        break;
    case Drag::Band: {
        m_bandEnd = pt;
        if (pt.y() <= m_bars.yMin) {
            update();
            openMinSimPopup(e->globalPosition().toPoint());
            break;
        }
        // The leaves in the band, or under the node at the point.
        m_nBandFirst = m_nBandLast = -1;
        m_nPopupNode = -1;
        m_bBandIsCluster = false;
        const int x0 = std::min(m_bandStart.x(), m_bandEnd.x()), x1 = std::max(m_bandStart.x(), m_bandEnd.x());
        if (x1 - x0 >= 2) {
            for (int pos : m_slots) {
                const double x = leafX(pos);
                if (x >= x0 && x <= x1) {
                    if (m_nBandFirst < 0)
                        m_nBandFirst = pos;
                    m_nBandLast = pos;
                }
            }
        } else if (const CNode* node = nodeAt(pt)) {
            auto [a, b] = m_pForest->leafRange(node);
            m_nBandFirst = a;
            m_nBandLast = b;
            if (!node->isLeaf())
                m_nPopupNode = node->m_nIndex;
            m_bBandIsCluster = true;
        } else {
            const int leaf = leafAtX(pt.x(), m_h, m_slots);
            m_nBandFirst = m_nBandLast = leaf;
        }
        m_bBandShown = m_nBandFirst >= 0;
        update();
        openViewPopup(e->globalPosition().toPoint());
        m_bBandShown = false;
        update();
        break;
    }
    case Drag::Idle:
        break;
    }
    unsetCursor();
}

void CArxView::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (!hasData() || e->button() != Qt::LeftButton)
        return;
    const QPoint pt = e->position().toPoint();
    if (std::abs(pt.y() - m_bars.yMin) <= 3) {
        m_bars.yMin = 0.0f;
        setMinSimilarityFromY(0.0f);
        clearHighlight();
        finishMinSimDrag();
        sendHint(kHintMinSimilarity);
        return;
    }
    if (std::abs(pt.y() - m_bars.yDetail) <= 3) {
        m_bars.yDetail = m_v.yLeaf + 1;
        redraw();
        return;
    }
    if (m_bCompare && m_nHighlighted >= 0) {
        const CNode* node = nodeAt(pt);
        if (node && node->m_nIndex == m_nHighlighted) {
            m_bLinkLines = true;
            update();
        }
    }
}

// ------------------------------------------------------------------ popups

QVector<int> CArxView::dataIndices(int first, int last) const
{
    QVector<int> out;
    if (!m_pForest || first < 0)
        return out;
    for (int pos = first; pos <= last && pos < m_pForest->m_nLeaves; ++pos)
        out.push_back(m_pForest->dataIndex(pos));
    return out;
}

void CArxView::selectLeaves(int first, int last)
{
    if (!hasData() || first < 0)
        return;
    QVector<int> d = dataIndices(first, last);
    std::vector<int> sel(d.begin(), d.end());
    std::sort(sel.begin(), sel.end());
    if (m_bRowView)
        m_pDoc->setItemSelection(sel, this);
    else
        m_pDoc->setVariableSelection(sel, this);
    redraw();
}

void CArxView::hideLeaves(int first, int last)
{
    if (!hasData() || first < 0)
        return;
    m_pForest->hideLeaves(first, last);
    m_pScratch->tree.refreshShown(*m_pForest);
    m_bSomethingHidden = true;
    clearHighlight();
    horizontalLayout(false);
    redraw();
    sendHint(kHintLeavesShown);
}

void CArxView::showOnlyLeaves(int first, int last)
{
    if (!hasData() || first < 0)
        return;
    m_pForest->showOnlyLeaves(first, last);
    m_pScratch->tree.refreshShown(*m_pForest);
    m_bSomethingHidden = true;
    clearHighlight();
    horizontalLayout(false);  // scroll back to 0
    redraw();
    sendHint(kHintLeavesShown);
}

void CArxView::showAll()
{
    if (!hasData() || !m_bSomethingHidden)
        return;
    m_pForest->setAllShown();
    m_pScratch->tree.refreshShown(*m_pForest);
    m_bSomethingHidden = false;
    horizontalLayout(false);
    redraw();
    sendHint(kHintLeavesShown);
}

void CArxView::openViewPopup(const QPoint& global)
{
    const int first = m_nBandFirst, last = m_nBandLast;
    QMenu menu(this);
    QAction* select = menu.addAction("Select");
    QAction* hide = menu.addAction("Hide");
    QAction* only = menu.addAction("Show Only This");
    QAction* all = menu.addAction("Show All");
    QAction* save = menu.addAction("Save Only This");
    menu.addSeparator();
    QAction* flip = menu.addAction("Flip Subtree");
    flip->setEnabled(m_nPopupNode >= 0 && !m_bCompare);
    const int node = m_nPopupNode;
    const bool range = first >= 0;
    select->setEnabled(range);
    hide->setEnabled(range);
    only->setEnabled(range);
    save->setEnabled(range && m_bRowView);
    QAction* chosen = menu.exec(global);
    if (chosen == select)
        selectLeaves(first, last);
    else if (chosen == hide)
        hideLeaves(first, last);
    else if (chosen == only)
        showOnlyLeaves(first, last);
    else if (chosen == all)
        showAll();
    else if (chosen == save)
        saveLeavesDialog(this, m_pDoc, dataIndices(first, last), m_bBandIsCluster);
    else if (chosen == flip)
        flipSubtree(node);
}

void CArxView::openMinSimPopup(const QPoint& global)
{
    QMenu menu(this);
    QAction* specify = menu.addAction("specify your minimum similarity value");
    if (menu.exec(global) != specify)
        return;
    bool ok = false;
    QInputDialog dlg(this);
    dlg.setInputMode(QInputDialog::TextInput);
    dlg.setLabelText("Enter a minimum similarity value:\n\nThe value should be greater than 0 and smaller than 1.");
    dlg.setTextValue(QString::asprintf("%.3f", static_cast<double>(m_fMinSim)));
    if (dlg.exec() != QDialog::Accepted)
        return;
    const double v = dlg.textValue().trimmed().toDouble(&ok);
    if (ok)
        applyTypedMinSimilarity(v);
}

// ------------------------------------------------------------------ output

void CArxView::print()
{
    if (!hasData())
        return;
    printPictureDialog(this, size(), [this](QPainter& p, int w, int h) { render(p, w, h); });
}

void CArxView::copyToClipboard()
{
    if (!hasData())
        return;
    QApplication::clipboard()->setImage(pictureImage(size(), [this](QPainter& p, int w, int h) { render(p, w, h); }));
}

bool CArxView::savePicture(const QString& path)
{
    return savePictureFile(path, logicalSize(m_image), [this](QPainter& p, int w, int h) {
        p.fillRect(0, 0, w, h, Qt::white);
        render(p, w, h);
    });
}

VerticalLayout CArxView::fullHeightLayout(int height, int cell) const
{
    VerticalLayout v;
    const int rows = m_pForest && m_pForest->m_pPartner ? m_pForest->m_pPartner->m_nLeaves : 0;
    v.cellHeight = cell;
    v.mosaicHeight = rows * cell;
    v.yLeaf = std::max(1, height - kMarkerStripHeight - kMosaicGap - v.mosaicHeight - 1);
    return v;
}

void CArxView::renderFullHeight(QPainter& p, int width, int height, int cell, bool withTree)
{
    const VerticalLayout keep = m_v;
    const BarPositions keepBars = m_bars;
    m_v = fullHeightLayout(height, cell);
    m_bars.yMin = static_cast<float>(yOfSimilarity(m_fMinSim, m_v.yLeaf, m_dZoom));
    m_bars.yDetail = m_v.yLeaf + 1;
    m_bNoTree = !withTree;
    p.fillRect(0, 0, width, height, Qt::white);
    render(p, width, height);
    m_bNoTree = false;
    m_v = keep;
    m_bars = keepBars;
}
