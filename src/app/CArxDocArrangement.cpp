// The document's arrangement of what the views show beside the data: flipped
// subtrees (with their undo) and the class strips.
#include <algorithm>
#include <cctype>
#include <set>

#include "app/CArxDoc.h"
#include "cluster/KMeans.h"
#include "data/DataMatrix.h"
#include "data/FieldInfo.h"
#include "linked/Annotation.h"
#include "platform/Messages.h"

namespace {

std::string upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

// ---------------------------------------------------------------- flips

bool CArxDoc::flipSubtree(CForest* forest, int nodeIndex, CDocObserver* sender)
{
    bool known = false;
    for (const CForestPair& pair : m_forestPairs)
        known = known || forest == pair.m_pRows.get() || forest == pair.m_pColumns.get();
    if (!known || nodeIndex < forest->m_nLeaves || nodeIndex >= forest->m_nNodes)
        return false;
    if (!forest->flipNode(forest->m_pNodes[static_cast<size_t>(nodeIndex)]))
        return false;
    if (forest->m_bKMeans)
        refreshKMeansOrder(*forest);
    m_flips.push_back({forest, nodeIndex});
    updateAllViews(sender, kHintLeafOrder);
    return true;
}

bool CArxDoc::undoFlip(CDocObserver* sender)
{
    if (m_flips.empty())
        return false;
    const FlipRecord last = m_flips.back();
    if (!last.forest->flipNode(last.forest->m_pNodes[static_cast<size_t>(last.node)]))
        return false;
    m_flips.pop_back();
    if (last.forest->m_bKMeans)
        refreshKMeansOrder(*last.forest);
    updateAllViews(sender, kHintLeafOrder);
    return true;
}

// ---------------------------------------------------------------- strips

void CArxDoc::refreshColumnStrip()
{
    m_columnStrip = ClassStrip{};
    const DataMatrix* d = m_forestPairs.empty() ? nullptr : m_forestPairs.front().m_pData;
    if (d)
        columnClassStrip(*d, m_columnStrip);
}

const ClassStrip* CArxDoc::columnStrip() const
{
    return m_bShowColumnStrip && hasColumnClasses() ? &m_columnStrip : nullptr;
}

void CArxDoc::setColumnStripShown(bool shown, CDocObserver* sender)
{
    if (shown == m_bShowColumnStrip)
        return;
    m_bShowColumnStrip = shown;
    updateAllViews(sender, kHintClassStrips);
}

std::vector<std::string> CArxDoc::itemStripCandidates() const
{
    std::vector<std::string> names;
    const DataMatrix* d = m_forestPairs.empty() ? nullptr : m_forestPairs.front().m_pData;
    if (!d)
        return names;
    for (int f = 0; f < static_cast<int>(d->m_fields.size()); ++f)
        if (d->field(f)->isCategorical())
            names.push_back(d->field(f)->m_strName);
    if (m_pAnnotation) {
        const int rows = m_pRowForest ? m_pRowForest->m_nLeaves : 0;
        for (int c = 1; c < m_pAnnotation->columnCount(); ++c) {
            std::set<std::string_view> distinct;
            for (int r = 0; r < rows && distinct.size() <= static_cast<size_t>(kMaxStripCategories); ++r) {
                const std::string_view t = m_pAnnotation->cell(m_pAnnotation->lineOfRow(r), c);
                if (!t.empty())
                    distinct.insert(t);
            }
            if (!distinct.empty() && distinct.size() <= static_cast<size_t>(kMaxStripCategories))
                names.emplace_back(m_pAnnotation->header(c));
        }
    }
    return names;
}

bool CArxDoc::itemStripTexts(const std::string& name, std::string& title, std::vector<std::string>& texts) const
{
    const DataMatrix* d = m_forestPairs.empty() ? nullptr : m_forestPairs.front().m_pData;
    if (!d || !m_pRowForest)
        return false;
    const int rows = m_pRowForest->m_nLeaves;
    std::vector<std::string> byRow;
    const int f = d->fieldIndex(upper(name));
    if (f >= 0 && d->field(f)->isCategorical()) {
        title = d->field(f)->m_strName;
        byRow = categoricalTexts(*d, f);
    } else if (m_pAnnotation) {
        int column = -1;
        for (int pass = 0; pass < 2 && column < 0; ++pass)
            for (int c = 1; c < m_pAnnotation->columnCount() && column < 0; ++c) {
                const std::string header(m_pAnnotation->header(c));
                if (pass == 0 ? header == name : upper(header) == upper(name))
                    column = c;
            }
        if (column < 0)
            return false;
        title = std::string(m_pAnnotation->header(column));
        byRow.resize(static_cast<size_t>(rows));
        for (int r = 0; r < rows; ++r)
            byRow[static_cast<size_t>(r)] = std::string(m_pAnnotation->cell(m_pAnnotation->lineOfRow(r), column));
    } else {
        return false;
    }
    // Strips are indexed by the items' data indices (the leaves' indices).
    int maxItem = -1;
    for (int r = 0; r < rows; ++r)
        maxItem = std::max(maxItem, itemOfRow(r));
    texts.assign(static_cast<size_t>(maxItem + 1), std::string());
    for (int r = 0; r < rows && static_cast<size_t>(r) < byRow.size(); ++r)
        texts[static_cast<size_t>(itemOfRow(r))] = std::move(byRow[static_cast<size_t>(r)]);
    return true;
}

bool CArxDoc::setItemStrips(const std::vector<std::string>& names, CDocObserver* sender)
{
    std::vector<ClassStrip> strips;
    for (const std::string& name : names) {
        std::string title, message;
        std::vector<std::string> texts;
        if (!itemStripTexts(name, title, texts)) {
            showMessage("No categorical field or annotation column is named " + name + ".");
            return false;
        }
        ClassStrip strip;
        if (!buildClassStrip(title, false, texts, kMaxStripCategories, strip, message)) {
            showMessage(message);
            return false;
        }
        strips.push_back(std::move(strip));
    }
    showItemStrips(std::move(strips), sender);
    return true;
}

void CArxDoc::showItemStrips(std::vector<ClassStrip> strips, CDocObserver* sender)
{
    m_itemStrips = std::move(strips);
    updateAllViews(sender, kHintClassStrips);
}

std::vector<const ClassStrip*> CArxDoc::stripsOver(bool rows) const
{
    std::vector<const ClassStrip*> out;
    if (rows) {
        for (const ClassStrip& s : m_itemStrips)
            out.push_back(&s);
    } else if (const ClassStrip* c = columnStrip()) {
        out.push_back(c);
    }
    return out;
}
