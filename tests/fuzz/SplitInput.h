#pragma once
// Fuzz targets whose readers take several files get them from one input
// split at the byte 0x01: part i is written to base + extensions[i], the last
// part takes the rest of the input, and a part the input does not reach is
// removed so that no file of an earlier run is read again.
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <unistd.h>

#include "cluster/Forest.h"
#include "cluster/ResultFiles.h"
#include "data/DataMatrix.h"

// One temporary folder per fuzzing process.
inline const std::string& fuzzDir()
{
    static const std::string dir = [] {
        char tmpl[] = "/tmp/arbolix-fuzz-XXXXXX";
        return std::string(mkdtemp(tmpl));
    }();
    return dir;
}

inline void writeParts(const uint8_t* data, size_t size, const std::string& base,
                       std::initializer_list<const char*> extensions)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    size_t start = 0;
    size_t part = 0;
    for (const char* extension : extensions) {
        const std::string path = base + extension;
        const bool last = ++part == extensions.size();
        if (start > input.size()) {
            std::remove(path.c_str());
            continue;
        }
        size_t end = input.find('\x01', start);
        if (end == std::string::npos || last)
            end = input.size();
        if (FILE* f = std::fopen(path.c_str(), "wb")) {
            std::fwrite(input.data() + start, 1, end - start, f);
            std::fclose(f);
        }
        start = end + 1;
    }
}

// Walks everything a view would walk in an imported result.
inline void walkImported(const ImportedResult& r)
{
    for (const CForest* f : {r.rows.get(), r.columns.get()}) {
        f->countClusters(0.5f, true);
        for (int p = 0; p < f->m_nLeaves; ++p)
            (void)f->leaf(p)->m_pValues[0];
    }
}
