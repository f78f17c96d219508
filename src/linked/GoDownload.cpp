#include "linked/GoDownload.h"

#include <curl/curl.h>

#include <cstdio>
#include <filesystem>
#include <mutex>

#include "platform/Format.h"
#include "platform/Progress.h"

namespace fs = std::filesystem;

namespace {

struct Transfer {
    IProgress* progress;
    std::FILE* out;
    std::string name;
    long long total;
    long long written = 0;
    long long shownAt = -1;
};

size_t writeBody(char* data, size_t size, size_t count, void* user)
{
    auto* t = static_cast<Transfer*>(user);
    const size_t n = size * count;
    if (std::fwrite(data, 1, n, t->out) != n)
        return 0;
    t->written += static_cast<long long>(n);
    return n;
}

int onProgress(void* user, curl_off_t, curl_off_t now, curl_off_t, curl_off_t)
{
    auto* t = static_cast<Transfer*>(user);
    if (now != t->shownAt) {
        t->shownAt = now;
        t->progress->setMessage(strFormat("%s: %d/%d bytes", t->name.c_str(), static_cast<int>(now),
                                          static_cast<int>(t->total)));
        if (t->total > 0)
            t->progress->setPosition(now);
    }
    t->progress->pump();
    return t->progress->cancelled() ? 1 : 0;
}

void initialiseCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The server part ("host[:port]") and the path of an address.
void splitUrl(const std::string& url, std::string& server, std::string& path)
{
    const size_t scheme = url.find("://");
    const size_t hostStart = scheme == std::string::npos ? 0 : scheme + 3;
    const size_t slash = url.find('/', hostStart);
    server = url.substr(hostStart, slash == std::string::npos ? std::string::npos : slash - hostStart);
    path = slash == std::string::npos ? std::string("/") : url.substr(slash);
}

} // namespace

std::vector<GoDownloadFile> goDownloadFiles(const GoDownloadSource& source)
{
    if (source.m_bObo) {
        std::string server, path;
        splitUrl(source.m_strOboUrl, server, path);
        std::string name = fs::path(path).filename().string();
        if (name.empty())
            name = "go-basic.obo";
        return {{source.m_strOboUrl, name, "Downloading " + name, name}};
    }
    const std::string base = "ftp://" + source.m_strFtpServer;
    return {{base + "/pub/go/doc/GO.terms_and_ids", "GO.terms_and_ids", "Downloading GO.terms_and_ids",
             "GO.terms_and_ids"},
            {base + "/pub/go/ontology/function.ontology", "function.ontology", "Downloading Molecular Function Ontology",
             "Molecular Function Ontology"},
            {base + "/pub/go/ontology/process.ontology", "process.ontology", "Downloading Biological Process Ontology",
             "Biological Process Ontology"},
            {base + "/pub/go/ontology/component.ontology", "component.ontology",
             "Downloading Cellular Component Ontology", "Cellular Component Ontology"}};
}

bool downloadFile(const std::string& url, const std::string& localPath, const std::string& task, IProgress& p,
                  std::string& error)
{
    initialiseCurl();
    std::string server, remotePath;
    splitUrl(url, server, remotePath);
    p.setMessage(task);
    p.pump();
    CURL* curl = curl_easy_init();
    if (!curl) {
        error = "cannot start a transfer";
        return false;
    }
    char curlError[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, curlError);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_TRANSFERTEXT, 0L);  // binary
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 30L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);

    // The size first (HEAD, or SIZE over FTP).
    p.setMessage("Opening a session to " + server + "...");
    p.pump();
    p.setMessage("Querying the size of the remote file");
    p.pump();
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    CURLcode rc = curl_easy_perform(curl);
    curl_off_t size = -1;
    if (rc == CURLE_OK)
        curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &size);
    if (rc != CURLE_OK) {
        error = curlError[0] ? curlError : curl_easy_strerror(rc);
        curl_easy_cleanup(curl);
        return false;
    }
    if (p.cancelled()) {
        error = "cancelled";
        curl_easy_cleanup(curl);
        return false;
    }

    const std::string partPath = localPath + ".part";
    std::FILE* out = std::fopen(partPath.c_str(), "wb");
    if (!out) {
        error = "cannot write " + partPath;
        curl_easy_cleanup(curl);
        return false;
    }
    Transfer t{&p, out, fs::path(remotePath).filename().string(), size > 0 ? static_cast<long long>(size) : 0};
    p.setMessage("Opening the remote file :" + remotePath);
    p.setRange(0, t.total);
    p.setPosition(0);
    p.pump();
    curl_easy_setopt(curl, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &t);
    rc = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    const bool closed = std::fclose(out) == 0;
    std::error_code ec;
    if (rc != CURLE_OK || !closed || (size > 0 && t.written != size)) {
        if (rc == CURLE_ABORTED_BY_CALLBACK)
            error = "cancelled";
        else if (rc != CURLE_OK)
            error = curlError[0] ? curlError : curl_easy_strerror(rc);
        else
            error = closed ? "the transfer ended early" : "cannot write " + partPath;
        fs::remove(partPath, ec);
        return false;
    }
    fs::rename(partPath, localPath, ec);
    if (ec) {
        error = "cannot rename " + partPath + ": " + ec.message();
        fs::remove(partPath, ec);
        return false;
    }
    return true;
}

int downloadOntology(const GoDownloadSource& source, const std::string& folder, IProgress& p, std::string& error)
{
    const std::vector<GoDownloadFile> files = goDownloadFiles(source);
    p.open("Downloading Gene Ontology");
    // Every file arrives under a new name first; the set replaces the
    // previous files only when all of them arrived.
    int failed = -1;
    std::vector<std::string> locals;
    for (size_t i = 0; i < files.size() && failed < 0; ++i) {
        locals.push_back((fs::path(folder.empty() ? "." : folder) / files[i].m_strLocalName).string());
        if (!downloadFile(files[i].m_strUrl, locals.back() + ".new", files[i].m_strTask, p, error))
            failed = static_cast<int>(i);
    }
    std::error_code ec;
    for (const std::string& local : locals) {
        if (failed < 0)
            fs::rename(local + ".new", local, ec);
        else
            fs::remove(local + ".new", ec);
        if (ec && failed < 0) {
            error = "cannot rename " + local + ".new: " + ec.message();
            failed = 0;
        }
    }
    p.close();
    return failed;
}
