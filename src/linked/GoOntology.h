#pragma once
// The Gene Ontology as the program holds it: every term once, with its name,
// its aspect, the links to its parents (is-a or part-of) and its children in
// the browsing tree, under four fixed roots: "Gene_Ontology" (GO:0003673)
// with "molecular_function" (GO:0003674), "biological_process" (GO:0008150)
// and "cellular_component" (GO:0005575) below it.
//
// Two readers fill it, chosen by the file's extension (GoFiles.h):
// - the flat files: "GO.terms_and_ids" (the term list) and
//   "function.ontology", "process.ontology", "component.ontology", one term
//   per line, indented by depth; a line's term goes into the tree under its
//   indentation parent only, while further parents named on the same line
//   are kept as links;
// - OBO 1.2 ("go-basic.obo"): a term goes into the tree under each of its
//   is_a and part_of parents; obsolete terms are left out.
// Links drive every "under" question (counts, descendants, enrichment), so
// both formats answer them alike; the tree drives only what is shown.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

constexpr int kGoRootNumber = 3673;
constexpr int kGoMolecularFunction = 3674;
constexpr int kGoBiologicalProcess = 8150;
constexpr int kGoCellularComponent = 5575;

// "GO:%07d".
std::string goIdText(int number);
// A tree item's text: "GO:%07d (%d) %s" (GO number, item count, term name).
std::string goNodeText(int number, int count, const std::string& name);
// The term's page of a public GO browser: its query address, the
// identifier and "&view=details".
std::string goBrowserAddress(int number);
// The number of a "GO:nnnnnnn" text read as the design of the files has it:
// the digits among the seven characters after "GO:" (0 when none).
int goNumberAfterPrefix(std::string_view text);

// A text without its leading and trailing white space.
std::string_view trimmedText(std::string_view s);

enum class GoRelation : std::uint8_t { IsA = 0, PartOf = 1 };

struct GoChild {
    int m_nTerm;  // term index
    GoRelation m_relation;
};

struct GoTerm {
    int m_nNumber = 0;
    std::string m_strName;
    char m_cAspect = 0;                 // 'F', 'P', 'C'; 0 for the top root
    std::vector<GoChild> m_children;    // tree children, in file order
    std::vector<int> m_parents;         // linked parents (term indices), is-a or part-of
};

// One entry of the term list: name and aspect letter.
struct GoTermEntry {
    std::string m_strName;
    char m_cAspect = 0;
};

class GoOntology {
public:
    // Term indices of the fixed roots.
    static constexpr int kRoot = 0, kFunction = 1, kProcess = 2, kComponent = 3;

    GoOntology();
    // Back to the four roots (the term list stays).
    void clearTree();

    int termCount() const { return static_cast<int>(m_terms.size()); }
    const GoTerm& term(int index) const { return m_terms[static_cast<size_t>(index)]; }
    // Term index of a GO number, -1 when the ontology has no such term.
    int termIndex(int number) const;
    // The aspect root of an aspect letter or an OBO namespace; -1 when unknown.
    static int aspectRoot(char aspect);

    // Building (the readers): the term of a number, made when new.
    int ensureTerm(int number, std::string_view name, char aspect);
    // Tree child (no duplicate of the same child under the same parent).
    void addChild(int parent, int child, GoRelation relation);
    // Link child -> parent (no duplicates).
    void addLink(int child, int parent);
    // A cycle of links (term indices, the first repeated at the end: each
    // term's next is one of its parents); empty when the links form none.
    std::vector<int> linkCycle() const;
    // "GO:a -> GO:b -> GO:a" of such a cycle.
    std::string cycleText(const std::vector<int>& cycle) const;

    // The term list ("GO.terms_and_ids", or the OBO file's names).
    std::unordered_map<int, GoTermEntry> m_termTable;
    // What was loaded: the file or folder, for the panel's texts.
    std::string m_strSource;

private:
    std::vector<GoTerm> m_terms;
    std::unordered_map<int, int> m_index;
};

// Terms found by the search box's rule: the text trimmed; digits only = the
// term of that GO number; otherwise every term whose name contains the text,
// ignoring case. Term indices in term order.
std::vector<int> searchTerms(const GoOntology& ontology, std::string_view text);
