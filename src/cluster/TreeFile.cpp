// The tree files of a clustering result (.rcr rows, .ccr columns): one line
// per branch in pre-order, "BRCH%d", the two children ("LEAF%d" with the
// leaf's data index or "BRCH%d"), the similarity "%f".
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <unordered_map>

#include "cluster/Forest.h"
#include "cluster/ResultFiles.h"
#include "cluster/ResultLayout.h"
#include "data/CellValue.h"
#include "data/TableFile.h"
#include "platform/Format.h"
#include "platform/Messages.h"
#include "platform/Progress.h"
#include "platform/ReadReport.h"

bool parseTreeViewNode(std::string_view text, std::string_view& prefix, int& number)
{
    text = stripBlanks(text);
    if (text.size() < 6 || text.size() > 15 || text.back() != 'X')
        return false;
    prefix = text.substr(0, 4);
    if (prefix != "NODE" && prefix != "GENE" && prefix != "ARRY")
        return false;
    long long value = 0;
    for (char c : text.substr(4, text.size() - 5)) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    if (value > 0x3fffffff)
        return false;
    number = static_cast<int>(value);
    return true;
}

namespace {

std::string nodeId(const CNode* node)
{
    return strFormat(node->isLeaf() ? "LEAF%d" : "BRCH%d", node->m_nIndex);
}

// "LEAF%d" / "BRCH%d" with a non-negative decimal number and nothing else.
bool parseId(std::string_view text, bool& leaf, int& number)
{
    text = stripBlanks(text);
    if (text.size() < 5 || text.size() > 14)
        return false;
    if (text.substr(0, 4) == "LEAF")
        leaf = true;
    else if (text.substr(0, 4) == "BRCH")
        leaf = false;
    else
        return false;
    long long value = 0;
    for (char c : text.substr(4)) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    if (value > 0x7fffffff)
        return false;
    number = static_cast<int>(value);
    return true;
}

// TreeView's "NODE%dX" (branch) and "GENE%dX" / "ARRY%dX" (leaf).
bool parseTreeViewId(std::string_view text, bool& leaf, int& number)
{
    std::string_view prefix;
    if (!parseTreeViewNode(text, prefix, number))
        return false;
    leaf = prefix != "NODE";
    return true;
}

// The whole cell as a finite number.
bool parseWholeNumber(std::string_view text, double& v)
{
    text = stripBlanks(text);
    if (text.empty())
        return false;
    const std::string s(text);
    char* end = nullptr;
    v = std::strtod(s.c_str(), &end);
    return end != s.c_str() && *end == '\0' && std::isfinite(v);
}

// TreeView's value 2S - 1 back to the similarity S, clipped to 0..1.
bool parseTreeViewSimilarity(std::string_view text, float& out)
{
    double v = 0.0;
    if (!parseWholeNumber(text, v))
        return false;
    out = static_cast<float>(std::clamp((v + 1.0) / 2.0, 0.0, 1.0));
    return true;
}

bool parseSimilarity(std::string_view text, float& out)
{
    double v = 0.0;
    if (!parseWholeNumber(text, v) || v < 0.0 || v > 1.0)
        return false;
    out = static_cast<float>(v);
    return true;
}

// A child of a branch line: a leaf (by its local index) or a branch (by the
// file's number).
struct Child {
    bool leaf = false;
    int number = 0;  // local leaf index, or the file's BRCH number
};

struct BranchLine {
    int number = 0;
    Child first, second;
    float similarity = 0.0f;
    int line = 0;
};

bool fileExists(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

} // namespace

bool writeTree(const CForest& forest, const std::string& path)
{
    if (!forest.hasTree())
        return false;
    if (fileExists(path) && messages().question(path + " already exists. Do you want to overwrite it?") != Answer::Yes)
        return false;
    TableFile table;
    std::vector<const CNode*> stack{forest.root()};
    while (!stack.empty()) {
        const CNode* node = stack.back();
        stack.pop_back();
        if (node->isLeaf() || !node->m_pFirst || !node->m_pSecond)
            continue;
        table.addLine(std::vector<std::string>{nodeId(node), nodeId(node->m_pFirst), nodeId(node->m_pSecond),
                                               strFormat("%f", static_cast<double>(node->m_fSimilarity))});
        stack.push_back(node->m_pSecond);
        stack.push_back(node->m_pFirst);
    }
    ProgressScope progress("Progress", "Writing " + path + " ...");
    return table.writeTable(path, &progress.get());
}

bool readTree(CForest& forest, const std::string& path, std::string* error, const TreeViewLeaves* treeView)
{
    auto fail = [&](int line, const std::string& what) {
        if (error)
            *error = ReadReport::refusal(path, line, what);
        return false;
    };
    if (error)
        error->clear();
    const int n = forest.m_nLeaves;
    if (!forest.ok() || n < 2)
        return false;
    if (!fileExists(path))
        return false;  // no tree for this direction: not an error of the file

    ProgressScope progress("Progress", "Reading the clustering result files");
    TableFile table;
    int lines = table.readTable(path, &progress.get(), 0);
    if (lines < 0)
        return progress->cancelled() ? false
                                     : fail(0, table.error().empty() ? std::string("the file cannot be read") : table.error());
    // A TreeView file may begin with a line of column titles.
    const int skip = treeView && lines > 0 && upperStripped(table.cell(0, 0)) == "NODEID" ? 1 : 0;
    lines -= skip;
    auto parseNode = [&](std::string_view text, bool& leaf, int& number) {
        if (!treeView)
            return parseId(text, leaf, number);
        if (!parseTreeViewId(text, leaf, number))
            return false;
        if (leaf) {
            auto it = treeView->find(number);
            if (it == treeView->end())
                return false;
            number = it->second;
        } else {
            number += n - 1;  // NODE1X is the first branch formed, node index n
        }
        return true;
    };
    const char* const branchForm = treeView ? "NODE%dX" : "BRCH%d";
    const char* const childForm = treeView ? "a leaf (GENE%dX, ARRY%dX) nor a branch (NODE%dX)"
                                           : "a leaf (LEAF%d) nor a branch (BRCH%d)";
    if (lines != n - 1)
        return fail(lines < n - 1 ? lines : n,
                    strFormat("%d branch lines where %d leaves need %d", lines, n, n - 1));
    if (table.widestFieldCount() < 4)
        return fail(1, "a branch line needs the branch, its two children and a similarity");

    // Leaves by data index.
    std::unordered_map<int, int> localOfLeaf;
    for (int k = 0; k < n; ++k)
        localOfLeaf.emplace(forest.m_pOrgNodes[static_cast<size_t>(k)]->m_nIndex, k);

    progress->setMessage("Building a Dendrogram");
    progress->setRange(0, static_cast<long long>(n) + 2);
    const int interval = progressInterval(n);

    std::vector<BranchLine> branches(static_cast<size_t>(n - 1));
    std::unordered_map<int, int> lineOfBranch;  // file number -> entry
    std::vector<char> leafUsed(static_cast<size_t>(n), 0);
    std::unordered_map<int, int> branchUsedAt;  // file number -> line naming it as a child
    for (int l = 0; l < lines; ++l) {
        if (l % interval == 0) {
            if (progress->cancelled())
                return false;
            progress->setPosition(l);
            progress->pump();
        }
        TableLine cells = table.lineAt(l + skip);
        const int lineNo = l + skip + 1;
        BranchLine& b = branches[static_cast<size_t>(l)];
        b.line = lineNo;
        bool leaf = false;
        if (!parseNode(cells[0], leaf, b.number) || leaf)
            return fail(lineNo, "\"" + cells.str(0) + "\" is not a branch (" + branchForm + ")");
        if (!lineOfBranch.emplace(b.number, l).second)
            return fail(lineNo, strFormat("BRCH%d appears twice", b.number));
        for (int side = 0; side < 2; ++side) {
            Child& c = side == 0 ? b.first : b.second;
            const std::string text = cells.str(static_cast<size_t>(side) + 1);
            int number = 0;
            if (!parseNode(text, c.leaf, number))
                return fail(lineNo, "\"" + text + "\" is neither " + childForm);
            if (c.leaf) {
                auto it = localOfLeaf.find(number);
                if (it == localOfLeaf.end())
                    return fail(lineNo, strFormat("LEAF%d is out of range", number));
                if (leafUsed[static_cast<size_t>(it->second)])
                    return fail(lineNo, strFormat("LEAF%d appears twice", number));
                leafUsed[static_cast<size_t>(it->second)] = 1;
                c.number = it->second;
            } else {
                if (number == b.number)
                    return fail(lineNo, strFormat("BRCH%d is its own ancestor", number));
                if (!branchUsedAt.emplace(number, lineNo).second)
                    return fail(lineNo, strFormat("BRCH%d appears twice as a child", number));
                c.number = number;
            }
        }
        if (treeView ? !parseTreeViewSimilarity(cells[3], b.similarity) : !parseSimilarity(cells[3], b.similarity))
            return fail(lineNo, "the similarity \"" + cells.str(3) + "\" is not a number between 0 and 1");
    }
    // Every named branch has a line; the root (line 1) is nobody's child.
    for (const auto& [number, lineNo] : branchUsedAt)
        if (!lineOfBranch.count(number))
            return fail(lineNo, strFormat("BRCH%d has no line of its own", number));
    // Our files put the root first; TreeView's put it where it was formed
    // (last): there the root is the branch no line names.
    int rootEntry = 0;
    if (treeView)
        for (int e = 0; e < n - 1; ++e)
            if (!branchUsedAt.count(branches[static_cast<size_t>(e)].number)) {
                rootEntry = e;
                break;
            }
    const int rootNumber = branches[static_cast<size_t>(rootEntry)].number;
    if (branchUsedAt.count(rootNumber))
        return fail(branchUsedAt[rootNumber], strFormat("BRCH%d is its own ancestor", rootNumber));

    // Every branch must hang under the root; one that does not lies on a cycle.
    std::vector<int> postOrder;  // entries, children before parents
    postOrder.reserve(static_cast<size_t>(n - 1));
    {
        std::vector<std::pair<int, bool>> stack{{rootEntry, false}};
        std::vector<char> seen(static_cast<size_t>(n - 1), 0);
        while (!stack.empty()) {
            auto [entry, expanded] = stack.back();
            stack.pop_back();
            if (expanded) {
                postOrder.push_back(entry);
                continue;
            }
            if (seen[static_cast<size_t>(entry)])
                return fail(branches[static_cast<size_t>(entry)].line, "the tree is not a tree");
            seen[static_cast<size_t>(entry)] = 1;
            stack.emplace_back(entry, true);
            const BranchLine& b = branches[static_cast<size_t>(entry)];
            for (const Child* c : {&b.second, &b.first})
                if (!c->leaf)
                    stack.emplace_back(lineOfBranch[c->number], false);
        }
        if (postOrder.size() != static_cast<size_t>(n - 1))
            for (int e = 0; e < n - 1; ++e)
                if (!seen[static_cast<size_t>(e)])
                    return fail(branches[static_cast<size_t>(e)].line,
                                strFormat("BRCH%d is its own ancestor", branches[static_cast<size_t>(e)].number));
    }
    for (int k = 0; k < n; ++k)
        if (!leafUsed[static_cast<size_t>(k)])
            return fail(0, strFormat("LEAF%d is missing", forest.m_pOrgNodes[static_cast<size_t>(k)]->m_nIndex));

    // TreeView files: the leaves come in the order of the data lines, so a
    // branch shows first the child whose leaves come first there.
    if (treeView) {
        std::vector<int> lowest(static_cast<size_t>(n - 1));
        auto low = [&](const Child& c) {
            return c.leaf ? c.number : lowest[static_cast<size_t>(lineOfBranch[c.number])];
        };
        for (int entry : postOrder) {
            BranchLine& b = branches[static_cast<size_t>(entry)];
            if (low(b.second) < low(b.first))
                std::swap(b.first, b.second);
            lowest[static_cast<size_t>(entry)] = low(b.first);
        }
    }

    // Node slots: the file's numbers when they are the branches' indices
    // (n..2n-2, children before parents), else the post-order.
    std::unordered_map<int, int> slotOf;  // file number -> node index
    bool keepNumbers = true;
    for (const BranchLine& b : branches) {
        keepNumbers = keepNumbers && b.number >= n && b.number <= 2 * n - 2;
        for (const Child* c : {&b.first, &b.second})
            keepNumbers = keepNumbers && (c->leaf || c->number < b.number);
    }
    keepNumbers = keepNumbers && rootNumber == 2 * n - 2;
    for (size_t i = 0; i < postOrder.size(); ++i) {
        const BranchLine& b = branches[static_cast<size_t>(postOrder[i])];
        slotOf[b.number] = keepNumbers ? b.number : n + static_cast<int>(i);
    }

    // Build, children first.
    std::vector<int> buildOrder(postOrder.size());
    for (size_t i = 0; i < postOrder.size(); ++i)
        buildOrder[i] = postOrder[i];
    std::sort(buildOrder.begin(), buildOrder.end(),
              [&](int a, int b) { return slotOf[branches[static_cast<size_t>(a)].number] < slotOf[branches[static_cast<size_t>(b)].number]; });
    const int L = forest.m_nProfileLength;
    const bool pValueWeights = forest.m_bPValueWeights;
    auto nodeOf = [&](const Child& c) -> CNode* {
        return c.leaf ? forest.m_pOrgNodes[static_cast<size_t>(c.number)]
                      : forest.m_pNodes[static_cast<size_t>(slotOf[c.number])];
    };
    for (int entry : buildOrder) {
        const BranchLine& b = branches[static_cast<size_t>(entry)];
        CNode* node = forest.m_pNodes[static_cast<size_t>(slotOf[b.number])];
        CNode* first = nodeOf(b.first);
        CNode* second = nodeOf(b.second);
        const float similarity = std::min({b.similarity, first->m_fSimilarity, second->m_fSimilarity});
        node->initialise(L, false, slotOf[b.number], first->m_nSize + second->m_nSize, similarity,
                         (first->m_fWeight + second->m_fWeight) / 2.0f, first->m_bEnabled && second->m_bEnabled,
                         nullptr, nullptr, first, second, "");
        node->m_strLabel2.clear();
        node->m_strLabel3.clear();
        // The size-weighted mean profile, as clustering makes it.
        const double sa = first->m_nSize, sb = second->m_nSize, total = sa + sb;
        for (int c = 0; c < L && node->m_pValues && node->m_pWeights && first->m_pValues && second->m_pValues; ++c) {
            const float wa = first->m_pWeights ? first->m_pWeights[c] : 1.0f;
            const float wb = second->m_pWeights ? second->m_pWeights[c] : 1.0f;
            float& v = node->m_pValues[c];
            float& w = node->m_pWeights[c];
            if (wa == -1.0f && wb == -1.0f) {
                v = 0.0f;
                w = -1.0f;
            } else if (wa == -1.0f) {
                v = second->m_pValues[c];
                w = pValueWeights ? wb : 1.0f;
            } else if (wb == -1.0f) {
                v = first->m_pValues[c];
                w = pValueWeights ? wa : 1.0f;
            } else {
                v = static_cast<float>((first->m_pValues[c] * sa + second->m_pValues[c] * sb) / total);
                w = pValueWeights ? static_cast<float>((wa * sa + wb * sb) / total) : 1.0f;
            }
        }
    }
    forest.takeTreeOrder();
    forest.m_bClustered = true;
    progress->setPosition(static_cast<long long>(n) + 2);
    return true;
}
