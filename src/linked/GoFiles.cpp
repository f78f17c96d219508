#include "linked/GoFiles.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "platform/Format.h"
#include "platform/Progress.h"
#include "platform/ReadReport.h"

namespace fs = std::filesystem;

namespace {

// Lines of a file, gzip-compressed or plain (zlib reads both), with the
// position in the file for the progress bar.
class GzLines {
public:
    explicit GzLines(const std::string& path)
    {
        std::error_code ec;
        const auto size = fs::file_size(path, ec);
        if (ec || fs::is_directory(path, ec))
            return;
        m_nSize = static_cast<long long>(size);
        m_file = gzopen(path.c_str(), "rb");
        if (m_file)
            gzbuffer(m_file, 1 << 17);
    }
    ~GzLines()
    {
        if (m_file)
            gzclose(m_file);
    }
    GzLines(const GzLines&) = delete;
    GzLines& operator=(const GzLines&) = delete;

    bool ok() const { return m_file != nullptr; }
    long long size() const { return m_nSize; }
    long long position() const { return m_file ? static_cast<long long>(gzoffset(m_file)) : 0; }

    // The next line without its end (LF or CR LF); false at the end.
    bool next(std::string& line)
    {
        line.clear();
        bool any = false;
        while (gzgets(m_file, m_buffer, sizeof m_buffer)) {
            any = true;
            const size_t n = std::strlen(m_buffer);
            line.append(m_buffer, n);
            if (n && m_buffer[n - 1] == '\n')
                break;
            if (n + 1 < sizeof m_buffer && !gzeof(m_file))  // a NUL inside the line: keep reading what follows
                m_bNul = true;
        }
        if (!any)
            return false;
        ++m_nLine;
        if (m_nSampled < (64u << 10)) {
            for (char c : line)
                m_nControl += (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r' && c != '\f' && c != '\v') ||
                              c == 0x7f;
            m_nSampled += line.size() + 1;
        }
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        return true;
    }
    // The 1-based number of the line last read.
    int lineNumber() const { return m_nLine; }
    // Why what was read so far cannot be text (NUL bytes, or mostly control
    // characters at its start); empty when it may be.
    std::string notText() const
    {
        if (m_bNul)
            return "the file is not text (it holds NUL bytes)";
        return m_nControl * 4 > m_nSampled ? "the file is not text (it is mostly control characters)" : std::string();
    }

private:
    gzFile m_file = nullptr;
    long long m_nSize = 0;
    int m_nLine = 0;
    bool m_bNul = false;
    size_t m_nSampled = 0, m_nControl = 0;
    char m_buffer[8192];
};

// Moves the bar and asks about Cancel every so many lines.
struct LoadTicker {
    IProgress& p;
    GzLines& in;
    long long lines = 0;
    bool cancelled()
    {
        if (++lines % 2048)
            return false;
        p.setPosition(in.position());
        p.pump();
        return p.cancelled();
    }
};

void startFile(IProgress& p, const GzLines& in, const std::string& path)
{
    p.setMessage("Loading " + fs::path(path).filename().string() + " ...");
    p.setRange(0, in.size());
    p.setStep(1);
    p.setPosition(0);
}

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// "name ; GO:nnnnnnn ..." of a flat line: the name before the first ';'
// (trimmed) and the number after "GO:" at the start of the trimmed rest.
bool parseTermPart(std::string_view part, std::string_view& name, int& number)
{
    const size_t semi = part.find(';');
    if (semi == std::string_view::npos)
        return false;
    name = trimmedText(part.substr(0, semi));
    number = goNumberAfterPrefix(trimmedText(part.substr(semi + 1)));
    return number > 0;
}

GoLoadOutcome cancelledOutcome()
{
    GoLoadOutcome o;
    o.cancelled = true;
    return o;
}

GoLoadOutcome failed(const std::string& message)
{
    GoLoadOutcome o;
    o.message = message;
    return o;
}

GoLoadOutcome succeeded()
{
    GoLoadOutcome o;
    o.ok = true;
    return o;
}

std::string lowerName(const std::string& path)
{
    std::string s = fs::path(path).filename().string();
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

const char* const kFlatMissing[3] = {"Error! Molecular Function Ontology file is not available.",
                                     "Error! Biological Function Ontology file is not available.",
                                     "Error! Cellular Component Ontology file is not available."};

} // namespace

const std::array<std::string, 4>& goFlatFileNames()
{
    static const std::array<std::string, 4> names{"GO.terms_and_ids", "function.ontology", "process.ontology",
                                                  "component.ontology"};
    return names;
}

std::string findGoFile(const std::string& folder, const std::string& name)
{
    std::error_code ec;
    for (const std::string& candidate : {name, name + ".gz"}) {
        const fs::path p = fs::path(folder.empty() ? "." : folder) / candidate;
        if (fs::is_regular_file(p, ec))
            return p.string();
    }
    return {};
}

std::vector<std::string> missingGoFiles(const std::string& folder)
{
    std::vector<std::string> missing;
    for (const std::string& name : goFlatFileNames())
        if (findGoFile(folder, name).empty())
            missing.push_back(name);
    return missing;
}

std::string goOntologyLocation(const std::vector<std::string>& folders)
{
    for (const std::string& folder : folders) {
        std::string obo = findGoFile(folder, kGoOboFileName);
        if (!obo.empty())
            return obo;
        if (missingGoFiles(folder).empty())
            return folder.empty() ? std::string(".") : folder;
    }
    return {};
}

bool isOboPath(const std::string& path)
{
    const std::string s = lowerName(path);
    auto ends = [&](const char* suffix) {
        const size_t n = std::strlen(suffix);
        return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
    };
    return ends(".obo") || ends(".obo.gz");
}

GoLoadOutcome readTermList(const std::string& path, GoOntology& ontology, IProgress& p)
{
    GzLines in(path);
    if (!in.ok())
        return failed("Error! GO.terms_and_ids is not available.");
    startFile(p, in, path);
    LoadTicker tick{p, in};
    std::string line;
    bool leading = true;
    size_t terms = 0;
    while (in.next(line)) {
        if (tick.cancelled())
            return cancelledOutcome();
        if (leading && line.find('!') != std::string::npos)
            continue;
        leading = false;
        std::string_view l(line);
        l = l.substr(0, 500);
        const size_t t1 = l.find('\t');
        if (t1 == std::string_view::npos)
            continue;
        const std::string_view id = l.substr(0, t1);
        const size_t t2 = l.find('\t', t1 + 1);
        const std::string_view name = l.substr(t1 + 1, t2 == std::string_view::npos ? std::string_view::npos : t2 - t1 - 1);
        std::string_view aspect;
        if (t2 != std::string_view::npos) {
            const size_t t3 = l.find('\t', t2 + 1);
            aspect = trimmedText(l.substr(t2 + 1, t3 == std::string_view::npos ? std::string_view::npos : t3 - t2 - 1));
        }
        int number = 0;
        for (size_t i = 3; i < id.size() && i < 10 && std::isdigit(static_cast<unsigned char>(id[i])); ++i)
            number = number * 10 + (id[i] - '0');
        if (number <= 0 || name.empty())
            continue;
        GoTermEntry& e = ontology.m_termTable[number];
        e.m_strName = std::string(name);
        e.m_cAspect = aspect.empty() ? 0 : aspect[0];
        ++terms;
    }
    if (std::string why = in.notText(); !why.empty())
        return failed(ReadReport::refusal(path, 0, why));
    if (terms == 0)
        return failed("Error in GO.terms_and_ids file");
    return succeeded();
}

GoLoadOutcome readFlatOntology(const std::string& path, int aspectRoot, GoOntology& ontology, IProgress& p)
{
    const int slot = std::clamp(aspectRoot - GoOntology::kFunction, 0, 2);
    GzLines in(path);
    if (!in.ok())
        return failed(kFlatMissing[slot]);
    const char aspect = ontology.term(aspectRoot).m_cAspect;
    startFile(p, in, path);
    LoadTicker tick{p, in};
    std::string line;
    std::vector<std::pair<size_t, int>> path_;  // (depth, term) along the current path
    ReadReport report(path);
    while (in.next(line)) {
        if (tick.cancelled())
            return cancelledOutcome();
        if (line.empty() || line[0] == '!')
            continue;
        const std::string_view l(line);
        const std::string_view used = l.substr(0, 512);
        if (used.find("$Gene_Ontology") != std::string_view::npos ||
            used.find("<molecular_function") != std::string_view::npos ||
            used.find("<biological_process") != std::string_view::npos ||
            used.find("<cellular_component") != std::string_view::npos)
            continue;
        const size_t depth = used.find_first_of("%<");
        if (depth == std::string_view::npos)
            continue;
        const GoRelation relation = used[depth] == '<' ? GoRelation::PartOf : GoRelation::IsA;
        size_t end = used.find_first_of("%<", depth + 1);
        std::string_view name;
        int number = 0;
        if (!parseTermPart(used.substr(depth + 1, end == std::string_view::npos ? std::string_view::npos : end - depth - 1),
                           name, number))
            continue;
        const int term = ontology.ensureTerm(number, name, aspect);
        while (!path_.empty() && path_.back().first >= depth)
            path_.pop_back();
        const int parent = path_.empty() ? aspectRoot : path_.back().second;
        // One level deeper than the line above at most: a deeper line hangs
        // under the term above it.
        const size_t parentDepth = path_.empty() ? 0 : path_.back().first;
        if (!path_.empty() && depth > parentDepth + 1)
            report.warn(in.lineNumber(),
                        strFormat("the term is %zu levels deeper than the term above it; it is placed one level below "
                                  "that term",
                                  depth - parentDepth));
        if (parent == term)
            return failed(ReadReport::refusal(path, in.lineNumber(),
                                              goIdText(number) + " is placed under itself (a cycle of is_a / part_of "
                                                                 "links)"));
        ontology.addChild(parent, term, relation);
        ontology.addLink(term, parent);
        path_.emplace_back(depth, term);
        // Further parents on the line: links, not places in the tree.
        end = l.find_first_of("%<", depth + 1);
        while (end != std::string_view::npos) {
            const size_t next = l.find_first_of("%<", end + 1);
            std::string_view otherName;
            int other = 0;
            if (parseTermPart(l.substr(end + 1, next == std::string_view::npos ? std::string_view::npos : next - end - 1),
                              otherName, other))
                ontology.addLink(term, ontology.ensureTerm(other, otherName, aspect));
            end = next;
        }
    }
    if (std::string why = in.notText(); !why.empty())
        return failed(ReadReport::refusal(path, 0, why));
    if (const std::vector<int> cycle = ontology.linkCycle(); !cycle.empty())
        return failed(ReadReport::refusal(path, 0,
                                          "the is_a / part_of links form a cycle: " + ontology.cycleText(cycle)));
    report.report();
    return succeeded();
}

namespace {

struct OboStanza {
    int number = 0;
    std::string name;
    char aspect = 0;
    bool obsolete = false;
    std::vector<std::pair<int, GoRelation>> parents;
};

char aspectOfNamespace(std::string_view ns)
{
    if (ns == "molecular_function")
        return 'F';
    if (ns == "biological_process")
        return 'P';
    if (ns == "cellular_component")
        return 'C';
    return 0;
}

// The value of "key: value ! comment" without the comment.
std::string_view oboValue(std::string_view line, size_t keyLength)
{
    std::string_view v = line.substr(keyLength);
    const size_t bang = v.find(" !");
    if (bang != std::string_view::npos)
        v = v.substr(0, bang);
    return trimmedText(v);
}

} // namespace

GoLoadOutcome readOboOntology(const std::string& path, GoOntology& ontology, IProgress& p)
{
    const std::string name = fs::path(path).filename().string();
    GzLines in(path);
    if (!in.ok())
        return failed("Error! " + name + " is not available.");
    startFile(p, in, path);
    LoadTicker tick{p, in};
    std::vector<OboStanza> stanzas;
    stanzas.reserve(50000);
    bool inTerm = false;
    OboStanza cur;
    auto flush = [&] {
        if (inTerm && cur.number > 0 && !cur.obsolete && !cur.name.empty())
            stanzas.push_back(std::move(cur));
        cur = OboStanza{};
    };
    std::string line;
    while (in.next(line)) {
        if (tick.cancelled())
            return cancelledOutcome();
        const std::string_view l = trimmedText(line);
        if (l.empty())
            continue;
        if (l[0] == '[') {
            flush();
            inTerm = l == "[Term]";
            continue;
        }
        if (!inTerm)
            continue;
        if (startsWith(l, "id:"))
            cur.number = goNumberAfterPrefix(oboValue(l, 3));
        else if (startsWith(l, "name:"))
            cur.name = std::string(oboValue(l, 5));
        else if (startsWith(l, "namespace:"))
            cur.aspect = aspectOfNamespace(oboValue(l, 10));
        else if (startsWith(l, "is_a:")) {
            if (const int n = goNumberAfterPrefix(oboValue(l, 5)); n > 0)
                cur.parents.emplace_back(n, GoRelation::IsA);
        } else if (startsWith(l, "relationship:")) {
            std::string_view v = oboValue(l, 13);
            if (startsWith(v, "part_of "))
                if (const int n = goNumberAfterPrefix(trimmedText(v.substr(8))); n > 0)
                    cur.parents.emplace_back(n, GoRelation::PartOf);
        } else if (startsWith(l, "is_obsolete:"))
            cur.obsolete = oboValue(l, 12) == "true";
    }
    flush();
    if (std::string why = in.notText(); !why.empty())
        return failed(ReadReport::refusal(path, 0, why));
    if (stanzas.empty())
        return failed("Error in " + name + " file");
    std::vector<int> index(stanzas.size());
    for (size_t i = 0; i < stanzas.size(); ++i) {
        const OboStanza& s = stanzas[i];
        index[i] = ontology.ensureTerm(s.number, s.name, s.aspect);
        GoTermEntry& e = ontology.m_termTable[s.number];
        e.m_strName = s.name;
        e.m_cAspect = s.aspect;
    }
    for (size_t i = 0; i < stanzas.size(); ++i) {
        const int term = index[i];
        if (term <= GoOntology::kComponent)
            continue;  // the roots keep their fixed place
        bool placed = false;
        for (auto [number, relation] : stanzas[i].parents) {
            const int parent = ontology.termIndex(number);
            if (parent == term)
                return failed(ReadReport::refusal(path, 0,
                                                  goIdText(number) + " is its own parent (a cycle of is_a / part_of "
                                                                     "links)"));
            if (parent < 0)
                continue;  // an obsolete or unknown parent
            ontology.addChild(parent, term, relation);
            ontology.addLink(term, parent);
            placed = true;
        }
        const int root = GoOntology::aspectRoot(stanzas[i].aspect);
        if (!placed && root >= 0) {
            ontology.addChild(root, term, GoRelation::IsA);
            ontology.addLink(term, root);
        }
    }
    if (const std::vector<int> cycle = ontology.linkCycle(); !cycle.empty())
        return failed(ReadReport::refusal(path, 0,
                                          "the is_a / part_of links form a cycle: " + ontology.cycleText(cycle)));
    return succeeded();
}

GoLoadOutcome loadOntology(const std::string& path, GoOntology& ontology, IProgress& p)
{
    ontology.clearTree();
    ontology.m_termTable.clear();
    ontology.m_strSource = path;
    p.open({});
    GoLoadOutcome o;
    if (isOboPath(path)) {
        o = readOboOntology(path, ontology, p);
    } else {
        const auto& names = goFlatFileNames();
        o = readTermList(findGoFile(path, names[0]), ontology, p);
        for (int f = 0; f < 3 && o.ok; ++f) {
            const std::string file = findGoFile(path, names[static_cast<size_t>(f) + 1]);
            o = file.empty() ? failed(kFlatMissing[f])
                             : readFlatOntology(file, GoOntology::kFunction + f, ontology, p);
        }
    }
    p.close();
    if (!o.ok) {
        ontology.clearTree();
        ontology.m_termTable.clear();
        ontology.m_strSource.clear();
    }
    return o;
}
