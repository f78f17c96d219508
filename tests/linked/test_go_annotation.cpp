// Attaching GO identifiers to items, node counts, selections and search.
#include <gtest/gtest.h>

#include <memory>

#include "data/DataMatrix.h"
#include "linked/Annotation.h"
#include "linked/GoAnnotation.h"
#include "linked/GoFiles.h"
#include "platform/RecordingProgress.h"
#include "support/TempDir.h"

namespace {

// cell division (51301) and cell cycle (7049) under cellular process
// (9987); mitotic cell cycle (278) under both; binding (5488) a function.
const char* const kObo =
    "[Term]\nid: GO:0009987\nname: cellular process\nnamespace: biological_process\nis_a: GO:0008150\n"
    "[Term]\nid: GO:0007049\nname: cell cycle\nnamespace: biological_process\nis_a: GO:0009987\n"
    "[Term]\nid: GO:0051301\nname: cell division\nnamespace: biological_process\nis_a: GO:0009987\n"
    "[Term]\nid: GO:0000278\nname: mitotic cell cycle\nnamespace: biological_process\nis_a: GO:0051301\n"
    "relationship: part_of GO:0007049\n"
    "[Term]\nid: GO:0005488\nname: binding\nnamespace: molecular_function\nis_a: GO:0003674\n"
    "[Term]\nid: GO:0008150\nname: biological_process\nnamespace: biological_process\n"
    "[Term]\nid: GO:0003674\nname: molecular_function\nnamespace: molecular_function\n";

std::shared_ptr<GoOntology> smallOntology(const TempDir& dir)
{
    auto o = std::make_shared<GoOntology>();
    RecordingProgress p;
    EXPECT_TRUE(loadOntology(dir.write("small.obo", kObo), *o, p).ok);
    return o;
}

} // namespace

TEST(GoTokens, GoidCellsGiveEveryIdentifierAfterGoColon)
{
    EXPECT_EQ(goNumbersInGoidText("GO:0000278 GO:0005488"), (std::vector<int>{278, 5488}));
    EXPECT_EQ(goNumbersInGoidText("GO:0000278;GO:12345678"), (std::vector<int>{278, 1234567}));
    EXPECT_EQ(goNumbersInGoidText("GO:abc 278"), std::vector<int>{});
    EXPECT_EQ(goNumbersInGoidText(""), std::vector<int>{});
}

TEST(GoTokens, AnnotationTokensAreDigitRunsWithOrWithoutGoColon)
{
    int n = 0;
    EXPECT_TRUE(goNumberOfToken(" GO:0000278 ", n));
    EXPECT_EQ(n, 278);
    EXPECT_TRUE(goNumberOfToken("5488", n));
    EXPECT_EQ(n, 5488);
    for (const char* no : {"2'-5'-oligoadenylate synthetase activity", "GO:", "", "  ", "12a", "GO: 12", "-3",
                           "inferred from electronic annotation", "0"})
        EXPECT_FALSE(goNumberOfToken(no, n)) << no;
    // A vendor cell: identifier // name // evidence, parts joined by ///.
    EXPECT_EQ(goNumbersInAnnotationText("GO:0001730 // 2'-5'-oligoadenylate synthetase activity // inferred from "
                                        "electronic annotation /// 0005488 // binding // traceable author statement"
                                        "//---//GO:0000278 // 3 // x"),
              (std::vector<int>{1730, 5488, 278, 3}));
}

TEST(GoAttach, GoidFieldWithTwoIdentifiersAnnotatesWithBoth)
{
    TempDir dir;
    const std::string path = dir.write("d.txt",
                                       "ID\tNAME\tGOID\tS1\tS2\n"
                                       "a\tA\tGO:0000278 GO:0005488\t1\t2\n"
                                       "b\tB\tGO:0007049\t2\t3\n"
                                       "c\tC\t\t3\t1\n"
                                       "d\tD\tGO:0009999\t1\t1\n"
                                       "e\tE\tGO:0005488 GO:0005488\t4\t1\n");
    DataMatrix data;
    ASSERT_TRUE(data.loadDataFile(path));
    RecordingProgress p;
    auto a = std::make_shared<GoAttachment>();
    ASSERT_TRUE(attachFromGoidField(data, *a, p));
    EXPECT_EQ(p.m_messages.front(), "Attaching GO information ... ");
    EXPECT_EQ(a->numbersOf(0), (std::vector<int>{278, 5488}));
    EXPECT_EQ(a->numbersOf(4), std::vector<int>{5488});
    EXPECT_EQ(a->itemsAnnotatedWith(5488), (std::vector<int>{0, 4}));
    EXPECT_EQ(distinctGoNumbers(*a, {0, 1, 4}), 3);

    auto o = smallOntology(dir);
    const GoIndex index(o, a);
    // d's only identifier is no term of the ontology: not annotated.
    EXPECT_EQ(index.annotatedCount(), 3);
    EXPECT_FALSE(index.isAnnotated(3));
    // Counts are the items under each term: mitotic cell cycle lies under
    // cell cycle through its part-of link as well.
    EXPECT_EQ(index.count(o->termIndex(278)), 1);
    EXPECT_EQ(index.count(o->termIndex(7049)), 2);
    EXPECT_EQ(index.count(o->termIndex(51301)), 1);
    EXPECT_EQ(index.count(o->termIndex(9987)), 2);
    EXPECT_EQ(index.count(o->termIndex(5488)), 2);
    EXPECT_EQ(index.itemsUnder(o->termIndex(7049)), (std::vector<int>{0, 1}));
    // The top root selects every annotated item, each aspect root its own.
    EXPECT_EQ(index.itemsUnder(GoOntology::kRoot), (std::vector<int>{0, 1, 4}));
    EXPECT_EQ(index.itemsUnder(GoOntology::kFunction), (std::vector<int>{0, 4}));
    EXPECT_EQ(index.count(GoOntology::kComponent), 0);
    const std::vector<int> among = index.countsAmong({1, 4});
    EXPECT_EQ(among[static_cast<size_t>(o->termIndex(7049))], 1);
    EXPECT_EQ(among[static_cast<size_t>(o->termIndex(278))], 0);
    EXPECT_EQ(among[GoOntology::kRoot], 2);
    EXPECT_EQ(itemsAnnotatedWithAny(*a, {7049, 9999}), (std::vector<int>{1, 3}));

    DataMatrix without;
    ASSERT_TRUE(without.loadDataFile(dir.write("e.txt", "ID\tS1\na\t1\n")));
    EXPECT_FALSE(attachFromGoidField(without, *a, p));
    EXPECT_EQ(a->rowCount(), 5);  // unchanged
}

TEST(GoAttach, SampleAnnotationColumnsOfTheLeukemiaData)
{
    const std::string samples = ARBOLIX_SAMPLES_DIR;
    DataMatrix data;
    ASSERT_TRUE(data.loadDataFile(samples + "/all_leukemia_top2000.txt"));
    Annotation annotation;
    ASSERT_TRUE(loadAnnotation(samples + "/all_leukemia_top2000_annotation.csv", data, annotation));
    RecordingProgress p;
    auto a = std::make_shared<GoAttachment>();
    EXPECT_FALSE(attachGoIdentifiers(data, nullptr, *a, p));
    ASSERT_TRUE(attachGoIdentifiers(data, &annotation, *a, p));
    auto o = std::make_shared<GoOntology>();
    ASSERT_TRUE(loadOntology(samples + "/go-basic.obo.gz", *o, p).ok);
    const GoIndex index(o, a);
    // Values from an independent reading of the same files (Python's csv
    // module, the OBO links walked upwards).
    EXPECT_EQ(index.annotatedCount(), 1923);
    EXPECT_EQ(index.count(o->termIndex(6955)), 351);  // immune response
    EXPECT_EQ(index.count(GoOntology::kProcess), 1888);
}

TEST(GoSearch, DigitsFindANumberOtherTextsASubstringIgnoringCase)
{
    TempDir dir;
    auto o = smallOntology(dir);
    EXPECT_EQ(searchTerms(*o, " 278 "), std::vector<int>{o->termIndex(278)});
    EXPECT_EQ(searchTerms(*o, "0000278"), std::vector<int>{o->termIndex(278)});
    EXPECT_TRUE(searchTerms(*o, "4242").empty());
    EXPECT_EQ(searchTerms(*o, "CELL CYCLE"), (std::vector<int>{o->termIndex(7049), o->termIndex(278)}));
    EXPECT_TRUE(searchTerms(*o, "  ").empty());
    EXPECT_TRUE(searchTerms(*o, "99999999999999").empty());
}
