// The load dialog's engine: preview, enabling rules, Filter it !, saving a
// filtered result, and the document read's order of transformations.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "data/DataMatrix.h"
#include "data/FilePreview.h"
#include "data/FilteredSave.h"
#include "data/LoadDialogState.h"
#include "data/LoadPipeline.h"
#include "data/RowFilter.h"
#include "platform/RecordingMessages.h"
#include "platform/RecordingProgress.h"
#include "support/TempDir.h"

namespace {
const char* const kData = "ID\tNAME\tA\tB\n"
                          "g1\tn1\t1.5\t\n"
                          "g2\tn2\t2\t3\n"
                          "g3\tn3\t-4\t0.25\n";
const char* const kPValues = "ID\tA\tB\n"
                             "g1\t0.01\t0.2\n"
                             "g2\t\t0.5\n"
                             "g3\t0.3\t0.001\n";

bool exists(const std::string& p) { return std::filesystem::exists(p); }
} // namespace

// ---- preview ----

TEST(Preview, ReadsAtMostTenLinesAndFindsTheSideFile)
{
    TempDir dir;
    std::string text = "ID\tA\n";
    for (int i = 0; i < 30; ++i)
        text += "r" + std::to_string(i) + "\t1\n";
    std::string path = dir.write("big.exp", text);
    FilePreview p;
    ASSERT_TRUE(previewFile(path, p));
    EXPECT_EQ(p.table.lineCount(), 10);
    EXPECT_FALSE(p.sequenceFile);
    EXPECT_FALSE(p.sideFile);

    dir.write("big.pma.xlsx", "");
    ASSERT_TRUE(previewFile(path, p));
    ASSERT_TRUE(p.sideFile);
    EXPECT_EQ(p.sideFile->weightType, 2);
    dir.write("big.pma.xls", "");
    ASSERT_TRUE(previewFile(path, p));
    EXPECT_EQ(p.sideFile->path, dir.path("big.pma.xls"));
    dir.write("big.pvl.xls", "");
    ASSERT_TRUE(previewFile(path, p));
    EXPECT_EQ(p.sideFile->path, dir.path("big.pvl.xls"));   // p-values are looked for first
    EXPECT_EQ(p.sideFile->weightType, 1);
}

TEST(Preview, FailuresAndSequenceFiles)
{
    TempDir dir;
    ScopedRecordingMessages messages;
    FilePreview p;
    EXPECT_FALSE(previewFile(dir.path("gone.txt"), p));
    EXPECT_FALSE(previewFile(dir.write("blank.txt", "  \n\t\n"), p));
    ASSERT_EQ(messages->m_texts.size(), 2u);
    EXPECT_EQ(messages->m_texts[0], "Cannot open the file : " + dir.path("gone.txt"));
    EXPECT_EQ(messages->m_texts[1], dir.path("blank.txt") + " is empty.");

    ASSERT_TRUE(previewFile(dir.write("seq.txt", "Protein SEQUENCE\tname\tdesc\np1\tx\tacb\n"), p));
    EXPECT_TRUE(p.sequenceFile);
    EXPECT_TRUE(isSequenceFileHeader("protein sequence"));
    EXPECT_FALSE(isSequenceFileHeader("protein sequences"));
}

// ---- the dialog's state ----

TEST(LoadDialog, WithoutAFileEverythingButCancelIsDisabled)
{
    LoadDialogState s;
    ASSERT_TRUE(s.initialise());
    const LoadDialogEnabled& e = s.enabled();
    EXPECT_FALSE(e.ok || e.logBox || e.normalizeBox || e.normalizeControls || e.presentCallBox || e.stdevBox ||
                 e.filterButton || e.countEdits || e.saveButton);
    EXPECT_EQ(s.m_strPValue, "0.04");
    EXPECT_EQ(s.m_strPercent, "10");
    EXPECT_EQ(s.m_strStdev, "1.0");
}

TEST(LoadDialog, DefaultsAndEnablingForAFileWithoutSideFile)
{
    TempDir dir;
    LoadDialogState s(dir.write("d.txt", kData));
    ASSERT_TRUE(s.initialise());
    const LoadDialogEnabled& e = s.enabled();
    EXPECT_TRUE(e.ok && e.logBox && e.normalizeBox && e.normalizeControls && e.stdevBox);
    EXPECT_FALSE(e.presentCallBox);
    EXPECT_FALSE(s.m_bPresentCall);
    EXPECT_FALSE(e.presentCallEdits || e.stdevEdit || e.filterButton || e.countEdits || e.saveButton);
    EXPECT_EQ(s.m_strStdev, "1");   // the cleared stdev box puts back "1"
    EXPECT_EQ(s.preview().table.lineCount(), 4);

    TransformChoice c = s.transformChoice();
    EXPECT_FALSE(c.log);
    EXPECT_EQ(c.direction, 0);
    EXPECT_EQ(c.method, 0);
    EXPECT_EQ(c.lo, 0.0f);
    EXPECT_EQ(c.hi, 1.0f);
    EXPECT_FALSE(c.sequence);
}

TEST(LoadDialog, CheckBoxRules)
{
    TempDir dir;
    std::string path = dir.write("d.txt", kData);
    dir.write("d.pvl", kPValues);
    LoadDialogState s(path);
    ASSERT_TRUE(s.initialise());
    EXPECT_TRUE(s.m_bPresentCall);               // a side file sets present-call filtering
    EXPECT_TRUE(s.enabled().presentCallBox && s.enabled().presentCallEdits && s.enabled().filterButton);

    s.m_strPValue = "0.5";
    s.m_strPercent = "70";
    s.setPresentCall(false);
    EXPECT_EQ(s.m_strPValue, "0.04");
    EXPECT_EQ(s.m_strPercent, "10");
    EXPECT_FALSE(s.enabled().presentCallEdits || s.enabled().filterButton);
    s.setStdevFilter(true);
    EXPECT_TRUE(s.enabled().stdevEdit && s.enabled().filterButton);
    s.m_strStdev = "2.5";
    s.setStdevFilter(false);
    EXPECT_EQ(s.m_strStdev, "1");
    EXPECT_FALSE(s.enabled().filterButton);

    s.setDirection(1);
    s.setMethod(2);
    s.setNormalize(false);
    EXPECT_EQ(s.transformChoice().direction, -1);
    EXPECT_EQ(s.transformChoice().method, -1);
    EXPECT_FALSE(s.enabled().normalizeControls);
    s.setNormalize(true);
    EXPECT_EQ(s.m_nDirection, 0);
    EXPECT_EQ(s.m_nMethod, 0);
    s.scaleEditFocused();
    s.setLog(true);
    EXPECT_EQ(s.transformChoice().method, 3);
    EXPECT_TRUE(s.transformChoice().log);
}

TEST(LoadDialog, SequenceFileDisablesEveryFilterAndTransformationEvenBesideASideFile)
{
    TempDir dir;
    std::string path = dir.write("s.txt", "protein sequence\tname\tdesc\np1\tx\tacb\n");
    dir.write("s.pvl", "ID\tA\np1\t0.1\n");
    LoadDialogState s(path);
    ASSERT_TRUE(s.initialise());
    const LoadDialogEnabled& e = s.enabled();
    EXPECT_TRUE(s.m_bSequence);
    EXPECT_FALSE(s.m_bLog || s.m_bNormalize || s.m_bPresentCall || s.m_bStdevFilter);
    EXPECT_FALSE(e.logBox || e.normalizeBox || e.normalizeControls || e.presentCallBox || e.stdevBox ||
                 e.filterButton);
    EXPECT_TRUE(e.ok);
    TransformChoice c = s.transformChoice();
    EXPECT_EQ(c.direction, -1);
    EXPECT_EQ(c.method, -1);
    EXPECT_TRUE(c.sequence);
}

TEST(LoadDialog, FilterItShowsTheCountsAndReusesTheLoadedData)
{
    TempDir dir;
    LoadDialogState s(dir.write("d.txt", kData));
    ASSERT_TRUE(s.initialise());
    std::unique_ptr<DataMatrix> data, filtered;

    s.setStdevFilter(true);
    s.m_strStdev = "0.1";
    ASSERT_TRUE(s.filter(data, filtered));
    EXPECT_EQ(s.m_nKept, 2);                     // g1 has one value: stdev 0
    EXPECT_EQ(s.m_nAll, 3);
    EXPECT_EQ(s.countLabel(), "rows out of");
    EXPECT_TRUE(s.m_bFiltered && s.enabled().countEdits && s.enabled().saveButton);
    ASSERT_TRUE(filtered);
    EXPECT_EQ(filtered->m_nRows, 2);

    DataMatrix* loaded = data.get();
    s.m_strStdev = "2";
    ASSERT_TRUE(s.filter(data, filtered));
    EXPECT_EQ(data.get(), loaded);               // loaded once
    EXPECT_EQ(s.m_nKept, 1);                     // g3: {-4, 0.25}, stdev 2.125
    EXPECT_EQ(s.countLabel(), "row out of");
    s.m_strStdev = "5";
    ASSERT_TRUE(s.filter(data, filtered));
    EXPECT_EQ(s.m_nKept, 0);
    EXPECT_EQ(s.countLabel(), "row out of");
    EXPECT_EQ(keptRowsLabel(2), std::string("rows out of"));
}

TEST(LoadDialog, ZeroStdevThresholdIsRefused)
{
    TempDir dir;
    LoadDialogState s(dir.write("d.txt", kData));
    ASSERT_TRUE(s.initialise());
    s.setStdevFilter(true);
    s.m_strStdev = "0";
    ScopedRecordingMessages messages;
    std::unique_ptr<DataMatrix> data, filtered;
    EXPECT_FALSE(s.filter(data, filtered));
    ASSERT_EQ(messages->m_texts.size(), 1u);
    EXPECT_EQ(messages->m_texts[0], "Invalid value in the stdev editbox");
    EXPECT_EQ(s.m_strStdev, "1.0");
    EXPECT_FALSE(data || filtered || s.m_bFiltered);
}

TEST(LoadDialog, CancelledFilterLeavesNoFilteredMatrixAndCancelDropsIt)
{
    TempDir dir;
    LoadDialogState s(dir.write("d.txt", kData));
    ASSERT_TRUE(s.initialise());
    s.setStdevFilter(true);
    std::unique_ptr<DataMatrix> data, filtered;
    ASSERT_TRUE(s.filter(data, filtered));
    {
        ScopedRecordingProgress progress;
        progress->cancelAfterPumps(0);
        EXPECT_FALSE(s.filter(data, filtered));
    }
    // An empty filtered matrix would otherwise become the document's data.
    EXPECT_FALSE(filtered);
    EXPECT_FALSE(s.m_bFiltered || s.enabled().saveButton || s.enabled().countEdits);

    ASSERT_TRUE(s.filter(data, filtered));
    s.reject(filtered);
    EXPECT_FALSE(filtered);
    std::unique_ptr<DataMatrix> none;
    s.accept(none);
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->isEmpty());
}

// ---- saving a filtered result ----

TEST(SaveFiltered, SideFileNames)
{
    DataMatrix m;
    m.m_strName = "leuk";
    EXPECT_EQ(defaultFilteredFileName(m), "leuk_Filtered.exp");
    EXPECT_EQ(weightFilePath("/d/leuk_Filtered.exp", 1), "/d/leuk_Filtered.pvl");
    EXPECT_EQ(weightFilePath("/d/leuk.txt", 2), "/d/leuk.pma");
    EXPECT_EQ(weightFilePath("/d.v/out", 1), "/d.v/out.pvl");    // no extension: the ending is added
    EXPECT_EQ(weightFilePath("/d/r.pvl", 1), "/d/r.pvl.pvl");    // never the signal file itself
    EXPECT_EQ(weightFilePath("/d/r.exp", 0), "");
}

TEST(SaveFiltered, WritesSignalAndPValuesWithMissingCellsEmpty)
{
    TempDir dir;
    std::string path = dir.write("d.txt", kData);
    dir.write("d.pvl", kPValues);
    DataMatrix m;
    ASSERT_TRUE(m.loadDataFile(path));
    ScopedRecordingProgress progress;
    std::string out = dir.path(defaultFilteredFileName(m));
    ASSERT_TRUE(saveFiltered(m, out));
    EXPECT_EQ(TempDir::read(out), "UNIQID\tNAME\tA\tB\n"
                                  "g1\tn1\t1.500000\t\n"
                                  "g2\tn2\t2.000000\t3.000000\n"
                                  "g3\tn3\t-4.000000\t0.250000\n");
    // One cell per value column after the identifier, as the loader reads
    // side files; the empty p-value was read as 0.5.
    EXPECT_EQ(TempDir::read(dir.path("d_Filtered.pvl")), "UNIQID\tA\tB\n"
                                                         "g1\t0.010000\t\n"
                                                         "g2\t0.500000\t0.500000\n"
                                                         "g3\t0.300000\t0.001000\n");
    EXPECT_EQ(progress->m_titles.back(), "Saving the filtering result");
    EXPECT_EQ(progress->m_messages, (std::vector<std::string>{"Saving the filtering result", "Writing a signal file",
                                                              "Writing a weight file"}));
    EXPECT_EQ(progress->m_nOpens, progress->m_nCloses);
}

TEST(SaveFiltered, SavedPairLoadsBackAsTheSameMatrix)
{
    TempDir dir;
    std::string path = dir.write("d.txt", kData);
    dir.write("d.pvl", kPValues);
    DataMatrix m;
    ASSERT_TRUE(m.loadDataFile(path));
    DataMatrix kept;
    ASSERT_EQ(filterRows(m, 0.05, 50, -1, kept), 2);   // g1 and g3
    std::string out = dir.path("kept.exp");
    ASSERT_TRUE(saveFiltered(kept, out));

    DataMatrix back;
    ASSERT_TRUE(back.loadDataFile(out));
    ASSERT_EQ(back.m_nRows, 2);
    ASSERT_EQ(back.m_nColumns, 2);
    EXPECT_EQ(back.m_nWeightType, 1);
    EXPECT_EQ(back.itemName(1), "n3");
    for (int r = 0; r < 2; ++r)
        for (int k = 0; k < 2; ++k) {
            EXPECT_EQ(back.orgValue(r, k), kept.orgValue(r, k)) << r << "," << k;
            EXPECT_NEAR(back.weight(r, k), kept.weight(r, k), 1e-6) << r << "," << k;
        }
    EXPECT_EQ(back.weight(0, 1), -1.0f);   // the missing cell stays missing, not a present 0
}

TEST(SaveFiltered, DetectionCallsAndANameWithoutExtension)
{
    TempDir dir;
    std::string path = dir.write("c.txt", "ID\tA\tB\tC\nx\t1\t2\t\ny\t4\t5\t6\n");
    dir.write("c.pma", "ID\tA\tB\tC\nx\tP\tM\tP\ny\tA\tP\tM\n");
    DataMatrix m;
    ASSERT_TRUE(m.loadDataFile(path));
    std::string out = dir.path("result");
    ASSERT_TRUE(saveFiltered(m, out));
    EXPECT_EQ(TempDir::read(out), "UNIQID\tA\tB\tC\tNAME\n"
                                  "x\t1.000000\t2.000000\t\tx\n"
                                  "y\t4.000000\t5.000000\t6.000000\ty\n");
    EXPECT_EQ(TempDir::read(dir.path("result.pma")), "UNIQID\tA\tB\tC\n"
                                                     "x\tP\tM\t\n"
                                                     "y\tA\tP\tM\n");
}

TEST(SaveFiltered, HeaderRowsKeepCidsTypesLabelsAndColumnWeights)
{
    TempDir dir;
    std::string typed = dir.write("t.txt", "ID\tSYM\tA\tN\tK\n"
                                           "CID\t7\t1\t2\t3\n"
                                           "FIELDTYPE\tSTRING\tEXPRESSION\tINTEGER\tCATEGORICAL\n"
                                           "g1\ts1\t1.5\t3\tlow\n"
                                           "g2\ts2\t2\t\thigh\n");
    DataMatrix m;
    ASSERT_TRUE(m.loadDataFile(typed));
    ASSERT_TRUE(saveFiltered(m, dir.path("t_Filtered.exp")));
    EXPECT_EQ(TempDir::read(dir.path("t_Filtered.exp")), "UNIQID\tSYM\tA\tN\tK\tNAME\n"
                                                         "CID\t7\t1\t2\t3\t-1\n"
                                                         "FIELDTYPE\tSTRING\tEXPRESSION\tINTEGER\tCATEGORICAL\tSTRING\n"
                                                         "g1\ts1\t1.500000\t3.000000\tlow\tg1\n"
                                                         "g2\ts2\t2.000000\t\thigh\tg2\n");
    DataMatrix back;
    ASSERT_TRUE(back.loadDataFile(dir.path("t_Filtered.exp")));
    ASSERT_EQ(back.m_nColumns, 3);
    EXPECT_EQ(back.field(1)->m_nType, String);
    EXPECT_EQ(back.field(3)->m_nType, Integer);
    EXPECT_EQ(back.field(4)->m_nType, CategoricalStr);
    EXPECT_EQ(back.lookupLabel("K", static_cast<int>(back.orgValue(1, 2))), "high");
    EXPECT_EQ(back.field(2)->m_nCID, 1);
    EXPECT_EQ(back.weight(1, 1), -1.0f);

    // Without types, column weights come back through an EWEIGHT row.
    std::string weighted = dir.write("w.txt", "ID\tNAME\tA\tB\nEWEIGHT\t\t2\t0.5\nx\tX\t1\t2\n");
    ASSERT_TRUE(m.loadDataFile(weighted));
    ASSERT_TRUE(saveFiltered(m, dir.path("w.exp")));
    EXPECT_EQ(TempDir::read(dir.path("w.exp")), "UNIQID\tNAME\tA\tB\n"
                                               "EWEIGHT\t\t2.000000\t0.500000\n"
                                               "x\tX\t1.000000\t2.000000\n");
}

TEST(SaveFiltered, CancelWritesNothingAndNoWeightsWriteNoSideFile)
{
    TempDir dir;
    std::string path = dir.write("d.txt", kData);
    DataMatrix m;
    ASSERT_TRUE(m.loadDataFile(path));
    ASSERT_EQ(m.m_nWeightType, 0);
    {
        ScopedRecordingProgress progress;
        progress->cancelAfterPumps(0);
        EXPECT_FALSE(saveFiltered(m, dir.path("out.exp")));
    }
    EXPECT_FALSE(exists(dir.path("out.exp")));
    ASSERT_TRUE(saveFiltered(m, dir.path("out.exp")));
    EXPECT_TRUE(exists(dir.path("out.exp")));
    EXPECT_FALSE(exists(dir.path("out.pvl")) || exists(dir.path("out.pma")));
}

// ---- the document read ----

TEST(DocumentRead, TransformationsInTheProgramsOrder)
{
    TempDir dir;
    std::string path = dir.write("t.txt", "ID\tA\tB\tC\nr\t1\t2\t4\ns\t2\t8\t32\n");
    std::unique_ptr<DataMatrix> data, filtered;
    DataMatrix* m = loadCurrentMatrix(path, false, data, filtered);
    ASSERT_TRUE(m);
    EXPECT_EQ(m, data.get());

    TransformChoice logOnly{true, -1, -1, 0, 1, false};
    ASSERT_TRUE(applyTransformations(*m, logOnly));
    EXPECT_FLOAT_EQ(m->value(1, 1), std::log(8.0f));
    EXPECT_FLOAT_EQ(m->m_pStatNorPool[0].max, std::log(4.0f));   // statistics of the current values
    EXPECT_FLOAT_EQ(m->m_pStatOrgPool[0].max, 4.0f);

    // With both, the normalisation (from the original values) is what remains.
    TransformChoice both{true, 0, 3, 0, 1, false};
    ASSERT_TRUE(applyTransformations(*m, both));
    EXPECT_FLOAT_EQ(m->value(0, 0), 0.0f);
    EXPECT_FLOAT_EQ(m->value(0, 1), 1.0f / 3.0f);
    EXPECT_FLOAT_EQ(m->m_fNorMax, 1.0f);

    ScopedRecordingMessages messages;
    std::unique_ptr<DataMatrix> zero, none;
    DataMatrix* z = loadCurrentMatrix(dir.write("z.txt", "ID\tA\tB\nr\t0\t2\n"), false, zero, none);
    ASSERT_TRUE(z);
    EXPECT_FALSE(applyTransformations(*z, TransformChoice{false, 0, 1, 0, 1, false}));   // zero control value
}

TEST(DocumentRead, FilteredMatrixIsTheDataAndAFailedLoadFails)
{
    TempDir dir;
    std::unique_ptr<DataMatrix> data, filtered = std::make_unique<DataMatrix>();
    DataMatrix* f = filtered.get();
    EXPECT_EQ(loadCurrentMatrix(dir.path("not-read.txt"), false, data, filtered), f);
    EXPECT_FALSE(data);

    filtered.reset();
    EXPECT_EQ(loadCurrentMatrix(dir.path("gone.txt"), false, data, filtered), nullptr);
    std::string seq = dir.write("s.txt", "protein sequence\tname\tdesc\np1\tx\tacb\n");
    DataMatrix* s = loadCurrentMatrix(seq, true, data, filtered);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->m_nColumns, 100);
    EXPECT_EQ(s->orgValue(0, 1), 2.0f);
}
