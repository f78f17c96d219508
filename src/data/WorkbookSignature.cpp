#include "data/WorkbookSignature.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace {
struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

// The stream name as a compound document's directory stores it (UTF-16LE).
std::string utf16Name(const char* name)
{
    std::string out;
    for (const char* p = name; *p; ++p) {
        out += *p;
        out += '\0';
    }
    return out;
}
} // namespace

WorkbookContainer workbookContainerOf(const std::string& path)
{
    std::unique_ptr<FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
    if (!f)
        return WorkbookContainer::Other;
    unsigned char magic[8] = {};
    size_t n = std::fread(magic, 1, sizeof magic, f.get());
    if (n >= 4 && std::memcmp(magic, "PK\x03\x04", 4) == 0)
        return WorkbookContainer::Zip;
    if (n < 8 || std::memcmp(magic, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) != 0)
        return WorkbookContainer::Other;
    std::string data(reinterpret_cast<const char*>(magic), n);
    char buf[1 << 16];
    while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0)
        data.append(buf, n);
    return data.find(utf16Name("EncryptedPackage")) != std::string::npos ? WorkbookContainer::EncryptedPackage
                                                                        : WorkbookContainer::Compound;
}
