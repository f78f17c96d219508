#pragma once
// The ontology as a tree model: every node a term under one of its tree
// parents, shown as "GO:%07d (%d) %s" with the number of items under it.
// Children are made when the view first asks for them, so the ~43000 terms
// (and the many more paths of the OBO tree) cost only what is opened.
// With a filter, only terms with a count above zero are shown (the
// selected items' tree).
#include <QAbstractItemModel>
#include <memory>
#include <vector>

class GoOntology;

class CGoTreeModel final : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit CGoTreeModel(QObject* parent = nullptr);
    ~CGoTreeModel() override;

    // A new ontology (or none) with its counts (one per term; empty: zeros).
    void setOntology(std::shared_ptr<const GoOntology> ontology, std::vector<int> counts, bool onlyCounted);
    // New counts for the same ontology (the tree is made afresh).
    void setCounts(std::vector<int> counts);
    const GoOntology* ontology() const { return m_pOntology.get(); }

    int termOf(const QModelIndex& index) const;
    // The first node of a term along the tree (opening nodes on the way);
    // invalid when the term is not in the tree.
    QModelIndex indexOfTerm(int term);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& = {}) const override { return 1; }
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    struct Node;
    Node* nodeOf(const QModelIndex& index) const;
    void build(Node* node) const;
    bool shown(int term) const;

    std::shared_ptr<const GoOntology> m_pOntology;
    std::vector<int> m_counts;
    bool m_bOnlyCounted = false;
    std::unique_ptr<Node> m_pRoot;
};
