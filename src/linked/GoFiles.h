#pragma once
// Reading the Gene Ontology from its files, compressed with gzip or not:
// the flat files (a folder holding "GO.terms_and_ids", "function.ontology",
// "process.ontology" and "component.ontology", each possibly with ".gz")
// or an OBO 1.2 file ("go-basic.obo", ".obo" or ".obo.gz"). Every file is
// read with the progress window ("Loading " + name + " ...", one step per
// byte); cancelling stops the load and discards what it built.
#include <array>
#include <string>
#include <vector>

#include "linked/GoOntology.h"

class IProgress;

// The four flat files in the order they are read and downloaded.
const std::array<std::string, 4>& goFlatFileNames();
inline const std::string kGoOboFileName = "go-basic.obo";

// The path of a file in a folder as it is there: name, else name + ".gz";
// empty when neither exists.
std::string findGoFile(const std::string& folder, const std::string& name);
// The flat files missing from a folder.
std::vector<std::string> missingGoFiles(const std::string& folder);
// What to load from the first folder that has an ontology: its OBO file
// when there is one, else the folder when it has the four flat files;
// empty when none has either.
std::string goOntologyLocation(const std::vector<std::string>& folders);
// True when the path names an OBO file (by its extension).
bool isOboPath(const std::string& path);

struct GoLoadOutcome {
    bool ok = false;
    bool cancelled = false;
    std::string message;  // the failure's message; empty on success and on cancel
};

// Loads the ontology from a folder of flat files or an OBO file into a
// fresh ontology (the previous content is cleared first); on failure or
// cancel the ontology is left with its four roots only.
GoLoadOutcome loadOntology(const std::string& path, GoOntology& ontology, IProgress& progress);

// The single readers (the fuzz targets and tests call them on any file).
// The term list into ontology.m_termTable; false with the message
// "Error in GO.terms_and_ids file" when it holds no term line.
GoLoadOutcome readTermList(const std::string& path, GoOntology& ontology, IProgress& progress);
// One flat ontology file under the root of its aspect (term index).
GoLoadOutcome readFlatOntology(const std::string& path, int aspectRoot, GoOntology& ontology, IProgress& progress);
GoLoadOutcome readOboOntology(const std::string& path, GoOntology& ontology, IProgress& progress);
