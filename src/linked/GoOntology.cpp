#include "linked/GoOntology.h"

#include <algorithm>
#include <cctype>

#include "platform/Format.h"

std::string goIdText(int number) { return strFormat("GO:%07d", number); }

std::string goNodeText(int number, int count, const std::string& name)
{
    return strFormat("GO:%07d (%d) %s", number, count, name.c_str());
}

std::string goBrowserAddress(int number)
{
    return "https://amigo.geneontology.org/amigo/search/ontology?q=" + goIdText(number) + "&view=details";
}

int goNumberAfterPrefix(std::string_view text)
{
    if (text.size() < 3 || text.substr(0, 3) != "GO:")
        return 0;
    int n = 0;
    for (size_t i = 3; i < text.size() && i < 10 && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        n = n * 10 + (text[i] - '0');
    return n;
}

GoOntology::GoOntology() { clearTree(); }

void GoOntology::clearTree()
{
    m_terms.clear();
    m_index.clear();
    ensureTerm(kGoRootNumber, "Gene_Ontology", 0);
    ensureTerm(kGoMolecularFunction, "molecular_function", 'F');
    ensureTerm(kGoBiologicalProcess, "biological_process", 'P');
    ensureTerm(kGoCellularComponent, "cellular_component", 'C');
    for (int aspect : {kFunction, kProcess, kComponent}) {
        addChild(kRoot, aspect, GoRelation::IsA);
        addLink(aspect, kRoot);
    }
}

int GoOntology::termIndex(int number) const
{
    auto it = m_index.find(number);
    return it == m_index.end() ? -1 : it->second;
}

int GoOntology::aspectRoot(char aspect)
{
    switch (aspect) {
    case 'F': return kFunction;
    case 'P': return kProcess;
    case 'C': return kComponent;
    default: return -1;
    }
}

int GoOntology::ensureTerm(int number, std::string_view name, char aspect)
{
    auto [it, added] = m_index.try_emplace(number, static_cast<int>(m_terms.size()));
    if (added) {
        GoTerm t;
        t.m_nNumber = number;
        t.m_strName = std::string(name);
        t.m_cAspect = aspect;
        m_terms.push_back(std::move(t));
    } else {
        GoTerm& t = m_terms[static_cast<size_t>(it->second)];
        if (t.m_strName.empty())
            t.m_strName = std::string(name);
        if (!t.m_cAspect)
            t.m_cAspect = aspect;
    }
    return it->second;
}

void GoOntology::addChild(int parent, int child, GoRelation relation)
{
    std::vector<GoChild>& c = m_terms[static_cast<size_t>(parent)].m_children;
    for (const GoChild& e : c)
        if (e.m_nTerm == child)
            return;
    c.push_back({child, relation});
}

void GoOntology::addLink(int child, int parent)
{
    if (child == parent)
        return;
    std::vector<int>& p = m_terms[static_cast<size_t>(child)].m_parents;
    if (std::find(p.begin(), p.end(), parent) == p.end())
        p.push_back(parent);
}

std::vector<int> GoOntology::linkCycle() const
{
    // Depth-first over the parent links; a link back to a term on the
    // current path closes a cycle.
    enum : char { Unseen, OnPath, Done };
    std::vector<char> state(m_terms.size(), Unseen);
    std::vector<std::pair<int, size_t>> stack;  // term, next parent to follow
    for (size_t start = 0; start < m_terms.size(); ++start) {
        if (state[start] != Unseen)
            continue;
        stack.emplace_back(static_cast<int>(start), 0);
        state[start] = OnPath;
        while (!stack.empty()) {
            auto& [term, next] = stack.back();
            const std::vector<int>& parents = m_terms[static_cast<size_t>(term)].m_parents;
            if (next == parents.size()) {
                state[static_cast<size_t>(term)] = Done;
                stack.pop_back();
                continue;
            }
            const int parent = parents[next++];
            if (state[static_cast<size_t>(parent)] == OnPath) {
                std::vector<int> cycle;
                size_t i = stack.size();
                while (i > 0 && stack[i - 1].first != parent)
                    --i;
                for (size_t j = i - 1; j < stack.size(); ++j)
                    cycle.push_back(stack[j].first);
                cycle.push_back(parent);
                return cycle;
            }
            if (state[static_cast<size_t>(parent)] == Unseen) {
                state[static_cast<size_t>(parent)] = OnPath;
                stack.emplace_back(parent, 0);
            }
        }
    }
    return {};
}

std::string GoOntology::cycleText(const std::vector<int>& cycle) const
{
    std::string text;
    for (int t : cycle)
        text += (text.empty() ? "" : " -> ") + goIdText(term(t).m_nNumber);
    return text;
}

std::string_view trimmedText(std::string_view s)
{
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return s.substr(b, e - b);
}

namespace {

bool containsIgnoringCase(std::string_view hay, std::string_view needle)
{
    auto it = std::search(hay.begin(), hay.end(), needle.begin(), needle.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
    return it != hay.end();
}

} // namespace

std::vector<int> searchTerms(const GoOntology& ontology, std::string_view text)
{
    std::vector<int> out;
    const std::string_view t = trimmedText(text);
    if (t.empty())
        return out;
    const bool digits = std::all_of(t.begin(), t.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
    if (digits) {
        long long n = 0;
        for (char c : t) {
            n = n * 10 + (c - '0');
            if (n > 100000000)
                return out;
        }
        const int index = ontology.termIndex(static_cast<int>(n));
        if (index >= 0)
            out.push_back(index);
        return out;
    }
    for (int i = 0; i < ontology.termCount(); ++i)
        if (containsIgnoringCase(ontology.term(i).m_strName, t))
            out.push_back(i);
    return out;
}
