#pragma once
// GO identifiers attached to the items of the data matrix, and what the
// loaded ontology says about them.
//
// Attaching reads, per item, either the data's GOID field (every "GO:" in
// the cell, the digits among the seven characters after it) or the
// annotation's "molecular" / "biological" / "cellular" columns joined with
// "//" and split at '/', where a token counts when, trimmed, it is a run of
// digits with or without a leading "GO:" (a term name such as
// "2'-5'-oligoadenylate synthetase activity" does not).
//
// GoIndex joins an attachment with an ontology: an item is annotated when at
// least one of its GO numbers is a term of the ontology, and it lies under a
// term when it is annotated with the term or with a term below it by links.
// Node counts are the numbers of items under each term.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "linked/GoOntology.h"

class Annotation;
class DataMatrix;
class IProgress;

// The GO numbers of a GOID cell, in the order they appear.
std::vector<int> goNumbersInGoidText(std::string_view text);
// One token of an annotation cell; false when it is no GO number.
bool goNumberOfToken(std::string_view token, int& number);
// The GO numbers of annotation texts (already joined with "//").
std::vector<int> goNumbersInAnnotationText(std::string_view text);

// GO numbers per item (rows of the data matrix), each list sorted and
// without duplicates.
class GoAttachment {
public:
    int rowCount() const { return static_cast<int>(m_rows.size()); }
    const std::vector<int>& numbersOf(int row) const { return m_rows[static_cast<size_t>(row)]; }
    // The items annotated with a GO number, ascending.
    std::vector<int> itemsAnnotatedWith(int number) const;
    bool empty() const { return m_rows.empty(); }

    std::vector<std::vector<int>> m_rows;
};

// The GOID field's name and the annotation columns' keywords.
inline const std::string kGoidFieldName = "GOID";
const std::vector<std::string>& goAnnotationKeywords();  // "molecular", "biological", "cellular"

// From the data's GOID field; false (nothing changed) when it has none or
// the progress window was cancelled.
bool attachFromGoidField(const DataMatrix& data, GoAttachment& out, IProgress& progress);
// From annotation texts: text(row) is the row's annotation columns joined
// with "//" (empty for items without annotation). False when cancelled.
bool attachFromAnnotationTexts(int rows, const std::function<std::string(int)>& text, GoAttachment& out,
                               IProgress& progress);

// What the panel and the command line attach: the GOID field when the data
// have one, else the annotation's columns whose headers contain
// "molecular", "biological" and "cellular" (joined with "//"). False when
// there is neither (or the progress window was cancelled); `out` is then
// unchanged.
bool attachGoIdentifiers(const DataMatrix& data, const Annotation* annotation, GoAttachment& out, IProgress& progress);

// An attachment seen through an ontology. Immutable once built, so worker
// threads may share it.
class GoIndex {
public:
    GoIndex(std::shared_ptr<const GoOntology> ontology, std::shared_ptr<const GoAttachment> attachment);

    const GoOntology& ontology() const { return *m_pOntology; }
    const GoAttachment& attachment() const { return *m_pAttachment; }
    int rowCount() const { return m_pAttachment->rowCount(); }

    bool isAnnotated(int row) const { return m_begin[static_cast<size_t>(row)] != m_begin[static_cast<size_t>(row) + 1]; }
    int annotatedCount() const { return m_nAnnotated; }
    // The terms (indices, each once, in no particular order) an item lies
    // under; empty when not annotated.
    const int* termsBegin(int row) const { return m_terms.data() + m_begin[static_cast<size_t>(row)]; }
    const int* termsEnd(int row) const { return m_terms.data() + m_begin[static_cast<size_t>(row) + 1]; }
    // Items under a term (the node count).
    int count(int term) const { return m_counts[static_cast<size_t>(term)]; }

    // The items under a term, ascending ("this or descendant's GOIDs").
    std::vector<int> itemsUnder(int term) const;
    // Items under each term among the given rows (the selected items' tree).
    std::vector<int> countsAmong(const std::vector<int>& rows) const;

private:
    std::shared_ptr<const GoOntology> m_pOntology;
    std::shared_ptr<const GoAttachment> m_pAttachment;
    std::vector<size_t> m_begin;  // rows + 1 offsets into m_terms
    std::vector<int> m_terms;
    std::vector<int> m_counts;
    int m_nAnnotated = 0;
};

// The items annotated with any of the GO numbers, ascending.
std::vector<int> itemsAnnotatedWithAny(const GoAttachment& attachment, const std::vector<int>& numbers);
// The number of distinct GO numbers of the given items.
int distinctGoNumbers(const GoAttachment& attachment, const std::vector<int>& rows);
