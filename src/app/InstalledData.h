#pragma once
// Where an installed Arbolix keeps its bundled sample and Gene Ontology
// snapshot: PREFIX/share/arbolix beside PREFIX/bin/arbolix.
#include <string>

// The name of the bundled sample data file.
inline const std::string kSampleFileName = "all_leukemia_top2000.txt";

// The folder of the running program ("" when it cannot be told).
std::string programFolder();

// PROGRAM_FOLDER/../share/arbolix when it holds the sample, else "" (a
// program run from its build folder has none).
std::string installedDataFolder(const std::string& programFolder = ::programFolder());
