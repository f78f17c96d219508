// An installed program finds its bundled sample and ontology snapshot in
// PREFIX/share/arbolix beside PREFIX/bin; a program run from its build
// folder finds none.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/InstalledData.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

TEST(InstalledData, FindsTheSampleFolderOnlyBesideAnInstalledProgram)
{
    TempDir dir;
    const std::string prefix = dir.path("usr");
    fs::create_directories(prefix + "/bin");
    dir.write("usr/share/arbolix/" + kSampleFileName, "ID\tS1\n");
    const std::string expected = prefix + "/share/arbolix";
    EXPECT_EQ(installedDataFolder(prefix + "/bin"), expected);
    EXPECT_EQ(installedDataFolder(prefix + "/bin/"), expected);
    EXPECT_EQ(installedDataFolder(prefix + "/bin/../bin"), expected);

    // A build folder: no share/arbolix above it.
    fs::create_directories(dir.path("build/src"));
    EXPECT_EQ(installedDataFolder(dir.path("build/src")), "");
    // The folder is there but the sample is not (the ontology alone is not enough),
    // or the sample's name is a folder.
    dir.write("opt/share/arbolix/go-basic.obo.gz", "");
    EXPECT_EQ(installedDataFolder(dir.path("opt/bin")), "");
    fs::create_directories(dir.path("srv/share/arbolix/" + kSampleFileName));
    EXPECT_EQ(installedDataFolder(dir.path("srv/bin")), "");
    // The program's own folder could not be told.
    EXPECT_EQ(installedDataFolder(""), "");
}

TEST(InstalledData, ProgramFolderIsWhereTheRunningProgramLies)
{
    const fs::path folder = programFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(folder.is_absolute());
    EXPECT_TRUE(fs::is_regular_file(folder / "arbolix_tests"));
    // Run from the build folder: nothing installed is found.
    EXPECT_EQ(installedDataFolder(), "");
}

TEST(InstalledData, TheBundledSampleHasTheNameLookedFor)
{
    EXPECT_TRUE(fs::is_regular_file(fs::path(ARBOLIX_SAMPLES_DIR) / kSampleFileName));
}
