// The ontology readers: the flat files' line rules, OBO, both giving the
// same tree, compressed files, cancel, and the shipped snapshot.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "linked/GoFiles.h"
#include "platform/RecordingProgress.h"
#include "support/TempDir.h"

namespace {

const char* const kTermList =
    "!version: small\n"
    "! a second comment line\n"
    "GO:0000002\tmitochondrial genome maintenance\tP\n"
    "GO:0000001\ta later line! with a bang\tP\n"
    "GO:0000003\t\tP\n"
    "garbage\n"
    "GO:0003674\tmolecular_function\tF\n";

// A small ontology, written the older way: a term with two parents appears
// under each of them (with its subtree), naming the other parent on its line.
const char* const kProcess =
    "!process.ontology\n"
    "$Gene_Ontology ; GO:0003673\n"
    " <biological_process ; GO:0008150\n"
    "  %reproduction ; GO:0000003\n"
    "  %cellular process ; GO:0009987\n"
    "   %cell cycle ; GO:0007049\n"
    "    <mitotic cell cycle ; GO:0000278 % cell division ; GO:0051301\n"
    "     %mitotic spindle ; GO:0000001\n"
    "   %cell division ; GO:0051301\n"
    "    %mitotic cell cycle ; GO:0000278 < cell cycle ; GO:0007049\n"
    "     %mitotic spindle ; GO:0000001\n";

// One stanza a line; the obsolete term and the Typedef are skipped.
const char* const kObo =
    "format-version: 1.2\nontology: go\n\n"
    "[Term]\nid: GO:0000001\nname: mitotic spindle\nnamespace: biological_process\nis_a: GO:0000278 ! mitotic cell cycle\n\n"
    "[Term]\nid: GO:0000003\nname: reproduction\nnamespace: biological_process\nis_a: GO:0008150 ! biological_process\n\n"
    "[Term]\nid: GO:0000278\nname: mitotic cell cycle\nnamespace: biological_process\nis_a: GO:0051301 ! cell division\n"
    "relationship: part_of GO:0007049 ! cell cycle\n\n"
    "[Term]\nid: GO:0000999\nname: an obsolete term\nnamespace: biological_process\nis_a: GO:0009987\nis_obsolete: true\n\n"
    "[Term]\nid: GO:0007049\nname: cell cycle\nnamespace: biological_process\nis_a: GO:0009987 ! cellular process\n\n"
    "[Term]\nid: GO:0008150\nname: biological_process\nnamespace: biological_process\n\n"
    "[Term]\nid: GO:0009987\nname: cellular process\nnamespace: biological_process\nis_a: GO:0008150 ! biological_process\n\n"
    "[Term]\nid: GO:0051301\nname: cell division\nnamespace: biological_process\nis_a: GO:0009987 ! cellular process\n\n"
    "[Typedef]\nid: part_of\nname: part of\n";

const char* const kFunction = "$Gene_Ontology ; GO:0003673\n <molecular_function ; GO:0003674\n";
const char* const kComponent = "$Gene_Ontology ; GO:0003673\n <cellular_component ; GO:0005575\n";

// The tree below a term as indented text "GO:nnnnnnn name" lines, the
// relation shown by '%' or '<'.
std::string treeText(const GoOntology& o, int term)
{
    std::string out;
    std::function<void(int, int, char)> walk = [&](int t, int depth, char rel) {
        out += std::string(static_cast<size_t>(depth), ' ') + rel + goIdText(o.term(t).m_nNumber) + " " +
               o.term(t).m_strName + "\n";
        for (const GoChild& c : o.term(t).m_children)
            walk(c.m_nTerm, depth + 1, c.m_relation == GoRelation::PartOf ? '<' : '%');
    };
    walk(term, 0, '%');
    return out;
}

std::string writeFolder(const TempDir& dir)
{
    dir.write("go/GO.terms_and_ids", kTermList);
    dir.write("go/function.ontology", kFunction);
    dir.write("go/process.ontology", kProcess);
    dir.write("go/component.ontology", kComponent);
    return dir.path("go");
}

std::string gzipped(const TempDir& dir, const std::string& name, const std::string& content)
{
    const std::string path = dir.path(name);
    gzFile f = gzopen(path.c_str(), "wb");
    gzwrite(f, content.data(), static_cast<unsigned>(content.size()));
    gzclose(f);
    return path;
}

} // namespace

TEST(GoFiles, TermListSkipsOnlyTheLeadingBangRunAndLinesWithoutNumberOrName)
{
    TempDir dir;
    GoOntology o;
    RecordingProgress p;
    ASSERT_TRUE(readTermList(dir.write("t", kTermList), o, p).ok);
    ASSERT_EQ(o.m_termTable.size(), 3u);
    // The line right after the run is the first term; a later "!" is text.
    EXPECT_EQ(o.m_termTable.at(2).m_strName, "mitochondrial genome maintenance");
    EXPECT_EQ(o.m_termTable.at(1).m_strName, "a later line! with a bang");
    EXPECT_EQ(o.m_termTable.at(1).m_cAspect, 'P');
    EXPECT_EQ(o.m_termTable.at(3674).m_cAspect, 'F');
    EXPECT_FALSE(o.m_termTable.count(3));  // empty name

    const GoLoadOutcome bad = readTermList(dir.write("u", "!only comments\nno tabs here\n"), o, p);
    EXPECT_FALSE(bad.ok);
    EXPECT_EQ(bad.message, "Error in GO.terms_and_ids file");
    EXPECT_EQ(readTermList(dir.path("missing"), o, p).message, "Error! GO.terms_and_ids is not available.");
}

TEST(GoFiles, FlatLinePlacesTheTermUnderItsIndentationParentOnlyAndKeepsFurtherParentsAsLinks)
{
    TempDir dir;
    GoOntology o;
    RecordingProgress p;
    const std::string file = dir.write("process.ontology",
                                       "! comment % with < marks\n"
                                       "$Gene_Ontology ; GO:0003673\n"
                                       " <biological_process ; GO:0008150\n"
                                       "  %cell cycle ; GO:0007049\n"
                                       "   <  mitotic cell cycle  ; GO:0000278 % cell division ; GO:0051301\n"
                                       "  %cell division ; GO:0051301\n"
                                       "  %no identifier\n"
                                       "     %deep ; GO:0000010\n"
                                       "    %less deep ; GO:0000011\n"
                                       "   %back ; GO:0000012\n");
    ASSERT_TRUE(readFlatOntology(file, GoOntology::kProcess, o, p).ok);
    EXPECT_EQ(treeText(o, GoOntology::kProcess),
              "%GO:0008150 biological_process\n"
              " %GO:0007049 cell cycle\n"
              "  <GO:0000278 mitotic cell cycle\n"
              " %GO:0051301 cell division\n"
              "  %GO:0000010 deep\n"
              "  %GO:0000011 less deep\n"
              "  %GO:0000012 back\n");
    const GoTerm& mitotic = o.term(o.termIndex(278));
    EXPECT_EQ(mitotic.m_parents, (std::vector<int>{o.termIndex(7049), o.termIndex(51301)}));
    EXPECT_EQ(mitotic.m_cAspect, 'P');
    EXPECT_EQ(p.m_messages.back(), "Loading process.ontology ...");
}

TEST(GoFiles, FlatFilesAndOboGiveTheSameTree)
{
    TempDir dir;
    GoOntology flat, obo;
    RecordingProgress p;
    ASSERT_TRUE(loadOntology(writeFolder(dir), flat, p).ok);
    ASSERT_TRUE(loadOntology(dir.write("go-basic.obo", kObo), obo, p).ok);
    EXPECT_EQ(treeText(flat, GoOntology::kRoot), treeText(obo, GoOntology::kRoot));
    EXPECT_EQ(treeText(obo, GoOntology::kProcess),
              "%GO:0008150 biological_process\n"
              " %GO:0000003 reproduction\n"
              " %GO:0009987 cellular process\n"
              "  %GO:0007049 cell cycle\n"
              "   <GO:0000278 mitotic cell cycle\n"
              "    %GO:0000001 mitotic spindle\n"
              "  %GO:0051301 cell division\n"
              "   %GO:0000278 mitotic cell cycle\n"
              "    %GO:0000001 mitotic spindle\n");
    EXPECT_EQ(obo.termIndex(999), -1);  // obsolete
    for (int number : {1, 3, 278, 7049, 9987, 51301}) {
        std::vector<int> a, b;
        for (int t : flat.term(flat.termIndex(number)).m_parents)
            a.push_back(flat.term(t).m_nNumber);
        for (int t : obo.term(obo.termIndex(number)).m_parents)
            b.push_back(obo.term(t).m_nNumber);
        std::sort(a.begin(), a.end());
        std::sort(b.begin(), b.end());
        EXPECT_EQ(a, b) << number;
    }
    EXPECT_EQ(obo.m_termTable.at(278).m_cAspect, 'P');
}

TEST(GoFiles, MissingFlatFilesAreNamedAndLeaveOnlyTheRoots)
{
    TempDir dir;
    const std::string folder = writeFolder(dir);
    std::filesystem::remove(dir.path("go/process.ontology"));
    EXPECT_EQ(missingGoFiles(folder), std::vector<std::string>{"process.ontology"});
    GoOntology o;
    RecordingProgress p;
    const GoLoadOutcome out = loadOntology(folder, o, p);
    EXPECT_FALSE(out.ok);
    EXPECT_EQ(out.message, "Error! Biological Function Ontology file is not available.");
    EXPECT_EQ(o.termCount(), 4);
    EXPECT_TRUE(o.m_termTable.empty());
}

TEST(GoFiles, CompressedFilesReadLikePlainOnes)
{
    TempDir dir;
    RecordingProgress p;
    GoOntology plain, packed;
    ASSERT_TRUE(loadOntology(dir.write("a/go-basic.obo", kObo), plain, p).ok);
    gzipped(dir, "go-basic.obo.gz", kObo);
    EXPECT_EQ(goOntologyLocation({dir.path("a"), dir.path("")}), dir.path("a/go-basic.obo"));
    EXPECT_EQ(goOntologyLocation({dir.path("none"), dir.path("")}), dir.path("go-basic.obo.gz"));
    ASSERT_TRUE(loadOntology(dir.path("go-basic.obo.gz"), packed, p).ok);
    EXPECT_EQ(treeText(plain, 0), treeText(packed, 0));
}

TEST(GoFiles, CancelDiscardsTheOntology)
{
    TempDir dir;
    std::string big = "format-version: 1.2\n";
    for (int i = 1; i < 20000; ++i)
        big += "[Term]\nid: GO:" + std::to_string(1000000 + i) + "\nname: t\nnamespace: cellular_component\n";
    RecordingProgress p;
    p.cancelAfterPumps(1);
    GoOntology o;
    const GoLoadOutcome out = loadOntology(dir.write("x.obo", big), o, p);
    EXPECT_FALSE(out.ok);
    EXPECT_TRUE(out.cancelled);
    EXPECT_TRUE(out.message.empty());
    EXPECT_EQ(o.termCount(), 4);
}

TEST(GoFiles, ShippedSnapshotLoadsAlikeFromBothFormats)
{
    RecordingProgress p;
    GoOntology flat, obo;
    ASSERT_TRUE(loadOntology(ARBOLIX_SAMPLES_DIR, flat, p).ok);
    ASSERT_TRUE(loadOntology(std::string(ARBOLIX_SAMPLES_DIR) + "/go-basic.obo.gz", obo, p).ok);
    // 43558 terms besides the top root.
    EXPECT_EQ(flat.termCount(), 43559);
    EXPECT_EQ(obo.termCount(), 43559);
    EXPECT_EQ(flat.m_termTable.size(), 43558u);
    size_t flatLinks = 0, oboLinks = 0;
    for (int t = 0; t < flat.termCount(); ++t)
        flatLinks += flat.term(t).m_parents.size();
    for (int t = 0; t < obo.termCount(); ++t)
        oboLinks += obo.term(t).m_parents.size();
    EXPECT_EQ(flatLinks, oboLinks);
    const int immune = obo.termIndex(6955);
    ASSERT_GE(immune, 0);
    EXPECT_EQ(obo.term(immune).m_strName, "immune response");
    EXPECT_EQ(flat.term(flat.termIndex(6955)).m_strName, "immune response");
}
