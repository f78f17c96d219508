#include "linked/ui/CGoTreeModel.h"

#include <QColor>
#include <QPainter>
#include <QPixmap>
#include <deque>

#include "linked/GoOntology.h"

struct CGoTreeModel::Node {
    int term = -1;
    GoRelation relation = GoRelation::IsA;
    Node* parent = nullptr;
    int row = 0;
    bool built = false;
    std::vector<std::unique_ptr<Node>> children;
};

CGoTreeModel::CGoTreeModel(QObject* parent) : QAbstractItemModel(parent), m_pRoot(std::make_unique<Node>()) {}

CGoTreeModel::~CGoTreeModel() = default;

void CGoTreeModel::setOntology(std::shared_ptr<const GoOntology> ontology, std::vector<int> counts, bool onlyCounted)
{
    beginResetModel();
    m_pOntology = std::move(ontology);
    m_counts = std::move(counts);
    m_bOnlyCounted = onlyCounted;
    m_pRoot = std::make_unique<Node>();
    endResetModel();
}

void CGoTreeModel::setCounts(std::vector<int> counts) { setOntology(m_pOntology, std::move(counts), m_bOnlyCounted); }

bool CGoTreeModel::shown(int term) const
{
    if (!m_bOnlyCounted)
        return true;
    return static_cast<size_t>(term) < m_counts.size() && m_counts[static_cast<size_t>(term)] > 0;
}

void CGoTreeModel::build(Node* node) const
{
    if (node->built)
        return;
    node->built = true;
    if (!m_pOntology)
        return;
    auto add = [&](int term, GoRelation relation) {
        if (!shown(term))
            return;
        auto child = std::make_unique<Node>();
        child->term = term;
        child->relation = relation;
        child->parent = node;
        child->row = static_cast<int>(node->children.size());
        node->children.push_back(std::move(child));
    };
    if (node->term < 0)
        add(GoOntology::kRoot, GoRelation::IsA);
    else
        for (const GoChild& c : m_pOntology->term(node->term).m_children)
            add(c.m_nTerm, c.m_relation);
}

CGoTreeModel::Node* CGoTreeModel::nodeOf(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : m_pRoot.get();
}

int CGoTreeModel::termOf(const QModelIndex& index) const { return index.isValid() ? nodeOf(index)->term : -1; }

QModelIndex CGoTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    Node* p = nodeOf(parent);
    build(p);
    if (row < 0 || column != 0 || static_cast<size_t>(row) >= p->children.size())
        return {};
    return createIndex(row, 0, p->children[static_cast<size_t>(row)].get());
}

QModelIndex CGoTreeModel::parent(const QModelIndex& child) const
{
    if (!child.isValid())
        return {};
    Node* p = nodeOf(child)->parent;
    if (!p || p == m_pRoot.get())
        return {};
    return createIndex(p->row, 0, p);
}

int CGoTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    Node* p = nodeOf(parent);
    build(p);
    return static_cast<int>(p->children.size());
}

bool CGoTreeModel::hasChildren(const QModelIndex& parent) const
{
    const Node* p = nodeOf(parent);
    if (p->built)
        return !p->children.empty();
    if (!m_pOntology)
        return false;
    if (p->term < 0)
        return shown(GoOntology::kRoot);
    for (const GoChild& c : m_pOntology->term(p->term).m_children)
        if (shown(c.m_nTerm))
            return true;
    return false;
}

namespace {

// The display kind: a blue disc for is-a, a green square for part-of.
const QPixmap& relationIcon(GoRelation relation)
{
    static const QPixmap isA = [] {
        QPixmap p(10, 10);
        p.fill(Qt::transparent);
        QPainter g(&p);
        g.setRenderHint(QPainter::Antialiasing);
        g.setBrush(QColor(40, 90, 200));
        g.setPen(Qt::NoPen);
        g.drawEllipse(1, 1, 8, 8);
        return p;
    }();
    static const QPixmap partOf = [] {
        QPixmap p(10, 10);
        p.fill(Qt::transparent);
        QPainter g(&p);
        g.fillRect(1, 1, 8, 8, QColor(30, 150, 60));
        return p;
    }();
    return relation == GoRelation::PartOf ? partOf : isA;
}

} // namespace

QVariant CGoTreeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !m_pOntology)
        return {};
    const Node* n = nodeOf(index);
    const GoTerm& t = m_pOntology->term(n->term);
    if (role == Qt::DisplayRole) {
        const int count = static_cast<size_t>(n->term) < m_counts.size() ? m_counts[static_cast<size_t>(n->term)] : 0;
        return QString::fromStdString(goNodeText(t.m_nNumber, count, t.m_strName));
    }
    if (role == Qt::DecorationRole)
        return relationIcon(n->relation);
    if (role == Qt::ToolTipRole)
        return n->relation == GoRelation::PartOf ? QStringLiteral("part of its parent") : QStringLiteral("is a kind of its parent");
    return {};
}

QModelIndex CGoTreeModel::indexOfTerm(int term)
{
    if (!m_pOntology || term < 0 || term >= m_pOntology->termCount() || !shown(term))
        return {};
    // The path from the top root along tree parents, found breadth first.
    std::vector<int> from(static_cast<size_t>(m_pOntology->termCount()), -2);
    std::deque<int> queue{GoOntology::kRoot};
    from[GoOntology::kRoot] = -1;
    while (!queue.empty() && from[static_cast<size_t>(term)] == -2) {
        const int u = queue.front();
        queue.pop_front();
        for (const GoChild& c : m_pOntology->term(u).m_children)
            if (from[static_cast<size_t>(c.m_nTerm)] == -2 && shown(c.m_nTerm)) {
                from[static_cast<size_t>(c.m_nTerm)] = u;
                queue.push_back(c.m_nTerm);
            }
    }
    if (from[static_cast<size_t>(term)] == -2)
        return {};
    std::vector<int> path;
    for (int t = term; t != -1; t = from[static_cast<size_t>(t)])
        path.push_back(t);
    QModelIndex at;
    for (auto it = path.rbegin(); it != path.rend(); ++it) {
        const int rows = rowCount(at);
        QModelIndex next;
        for (int r = 0; r < rows && !next.isValid(); ++r) {
            const QModelIndex i = index(r, 0, at);
            if (termOf(i) == *it)
                next = i;
        }
        if (!next.isValid())
            return {};
        at = next;
    }
    return at;
}
