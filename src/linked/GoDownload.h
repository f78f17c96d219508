#pragma once
// Fetching the ontology files through libcurl. A file is written to a
// temporary name beside its destination and renamed over it only when the
// whole transfer succeeded, so a failed or cancelled download leaves the
// previous file untouched. The progress window shows, per file: the task
// text, "Opening a session to " + server + "...", "Querying the size of the
// remote file", "Opening the remote file :" + path and, while copying,
// "%s: %d/%d bytes"; its Cancel button stops the transfer.
#include <string>
#include <vector>

class IProgress;

// Where the ontology comes from (a setting of the panel).
struct GoDownloadSource {
    // True: one OBO file over HTTPS; false: the four flat files over
    // anonymous FTP from m_strFtpServer.
    bool m_bObo = true;
    std::string m_strOboUrl = "https://current.geneontology.org/ontology/go-basic.obo";
    std::string m_strFtpServer = "ftp.geneontology.org";  // host or host:port
};

// One file of a download: remote address, local name and the texts shown.
struct GoDownloadFile {
    std::string m_strUrl;
    std::string m_strLocalName;
    std::string m_strTask;   // "Downloading Molecular Function Ontology"
    std::string m_strLabel;  // the long name of the failure message of button 1016
};

// The files of a source, in the order they are fetched.
std::vector<GoDownloadFile> goDownloadFiles(const GoDownloadSource& source);

// Copies url to localPath. False with the reason in `error` (the transfer's
// failure, or "cancelled").
bool downloadFile(const std::string& url, const std::string& localPath, const std::string& task, IProgress& progress,
                  std::string& error);

// Downloads every file of the source into the folder, in order, in one
// progress window titled "Downloading Gene Ontology"; stops at the first
// failure. Returns the index of the failed file, or -1 when all arrived.
int downloadOntology(const GoDownloadSource& source, const std::string& folder, IProgress& progress,
                     std::string& error);
