#pragma once
// What both Gene Ontology fuzz targets do with an ontology that loaded:
// attach a few items, count, select, search and test enrichment, so that
// any shape a file can give (cycles, dangling links, huge numbers) is
// walked without reading out of bounds or looping.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "linked/GoAnnotation.h"
#include "linked/GoEnrichment.h"
#include "linked/GoOntology.h"

inline void exerciseOntology(const std::shared_ptr<GoOntology>& o)
{
    auto a = std::make_shared<GoAttachment>();
    for (int r = 0; r < 6; ++r) {
        std::vector<int> numbers;
        for (int t = r; t < o->termCount(); t += 5)
            numbers.push_back(o->term(t).m_nNumber);
        std::sort(numbers.begin(), numbers.end());
        numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
        a->m_rows.push_back(numbers);
    }
    const GoIndex index(o, a);
    for (int t = 0; t < o->termCount(); ++t) {
        (void)goNodeText(o->term(t).m_nNumber, index.count(t), o->term(t).m_strName);
        (void)index.itemsUnder(t);
    }
    (void)index.countsAmong({0, 2, 4});
    (void)searchTerms(*o, "a");
    (void)searchTerms(*o, "1");
    (void)enrichClusters(index, {1, 1, 2, 2, 2, 0});
}

// The fuzz input as a file of the given name in a folder of the process's own.
inline std::string writeFuzzInput(const std::string& name, const uint8_t* data, size_t size)
{
    static const std::string dir = [] {
        char tmpl[] = "/tmp/arbolix-fuzz-XXXXXX";
        return std::string(mkdtemp(tmpl));
    }();
    const std::string path = dir + "/" + name;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    return path;
}
