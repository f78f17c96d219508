// Any bytes given as a data, side or sequence file end in a load that
// succeeds or fails cleanly: no crash, no hang, no read out of bounds (the
// sanitizer build runs these too), and a failed load leaves the matrix empty.
#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "data/DataMatrix.h"
#include "data/TableFile.h"
#include "platform/RecordingMessages.h"
#include "support/TempDir.h"

namespace {
std::string sampleHead()
{
    std::ifstream in(std::string(ARBOLIX_SAMPLES_DIR) + "/all_leukemia_top2000.txt", std::ios::binary);
    std::string s(6000, '\0');
    in.read(s.data(), static_cast<std::streamsize>(s.size()));
    s.resize(static_cast<size_t>(in.gcount()));
    return s;
}

std::string mutate(std::string s, std::mt19937& rng)
{
    static const char kInteresting[] = "\t\n\r,\" .-+eE0123456789NA#/\\\0xyzCIDFIELDTYPEWEIGHT";
    int edits = 1 + static_cast<int>(rng() % 12);
    for (int i = 0; i < edits && !s.empty(); ++i) {
        size_t at = rng() % s.size();
        switch (rng() % 5) {
        case 0: s[at] = static_cast<char>(rng()); break;
        case 1: s[at] = kInteresting[rng() % (sizeof kInteresting - 1)]; break;
        case 2: s.erase(at, rng() % 64); break;
        case 3: s.insert(at, std::string(1 + rng() % 8, kInteresting[rng() % (sizeof kInteresting - 1)])); break;
        case 4: s.insert(at, s.substr(rng() % s.size(), rng() % 200)); break;
        }
    }
    return s;
}

std::string randomBytes(std::mt19937& rng)
{
    std::string s(rng() % 600, '\0');
    for (char& c : s)
        c = static_cast<char>(rng() % 4 ? "\t\n,\"0123456789.-abcNA\r "[rng() % 22] : static_cast<char>(rng()));
    return s;
}

void checkConsistent(const DataMatrix& m, bool loaded)
{
    if (!loaded) {
        ASSERT_TRUE(m.isEmpty());
        ASSERT_FALSE(m.m_pOrgExpLevelPool);
        return;
    }
    ASSERT_EQ(static_cast<int>(m.m_arrColumnFields.size()), m.m_nColumns);
    for (int r = 0; r < m.m_nRows; ++r)
        for (int k = 0; k < m.m_nColumns; ++k) {
            float w = m.weight(r, k);
            ASSERT_EQ(m.columnField(k)->m_pWeights[static_cast<size_t>(r)], w);
            if (w == -1.0f) {
                ASSERT_EQ(m.orgValue(r, k), 0.0f);
            }
        }
}
} // namespace

TEST(LoadRobustness, RandomAndMutatedFiles)
{
    ScopedRecordingMessages quiet;
    TempDir dir;
    std::mt19937 rng(12345);
    const std::string seed = sampleHead();
    const char* names[] = {"d.txt", "d.csv", "d.exp"};
    for (int i = 0; i < 1500; ++i) {
        std::string content = i % 3 == 0 ? randomBytes(rng) : mutate(seed, rng);
        const char* name = names[i % 3];
        std::string path = dir.write(name, content);
        // Side files: sometimes present, sometimes garbage.
        std::remove(dir.path("d.pvl").c_str());
        std::remove(dir.path("d.pma").c_str());
        if (i % 4 == 1)
            dir.write(i % 8 == 1 ? "d.pvl" : "d.pma", mutate(seed, rng));
        DataMatrix m;
        bool ok = m.loadDataFile(path);
        checkConsistent(m, ok);
        if (ok) {
            m.computeStatistics(false, true);
            m.takeLog(1);
            m.normalize(false, static_cast<int>(rng() % 2), static_cast<int>(rng() % 4), 0, 1);
            m.computeStatistics(false, false);
        }
        DataMatrix s;
        checkConsistent(s, s.loadSequenceFile(path));
    }
}

TEST(LoadRobustness, MutatedClusterResultBlocks)
{
    ScopedRecordingMessages quiet;
    TempDir dir;
    std::mt19937 rng(99);
    const std::string dat = "t\t0\tAverage Linkage\tPearson\tOriginal\tPVal Weight 1\n"
                            "CLUSTER ID\t\t\t\tCLUSTER1\tCLUSTER1\t\n"
                            "CLUSTER ID\tLEAF ID\t\t\tLEAF1\tLEAF0\t\n"
                            "NAME\t\tUniqId\tWEIGHT\tB\tA\tNAME\t\n"
                            "FIELDTYPE\t\tSTRING\tREAL\tEXPRESSION\tCATEGORICAL\tSTRING\t\n"
                            "WEIGHT\t\t\t\t1.000000\t1.000000\t\n"
                            "CLUSTER1\tLEAF1\tg2\t1.000000\t4.000000\t\tsecond\t\n"
                            "OUTLIER\tLEAF0\tg1\t1.000000\t2.000000\t1.000000\tfirst\t\n";
    for (int i = 0; i < 1500; ++i) {
        std::string path = dir.write("r.dat", mutate(dat, rng));
        std::remove(dir.path("r.wts").c_str());
        if (i % 3 == 0)
            dir.write("r.wts", mutate("LeafID\tLEAF1\tLEAF0\nLEAF1\t0.25\t-1\nLEAF0\t\t0.75\n", rng));
        TableFile t;
        if (t.readTable(path) < 0)
            continue;
        DataMatrix m;
        checkConsistent(m, m.loadClusterTable(t, path));
    }
}
