// Downloading the ontology through libcurl from servers the test starts on
// 127.0.0.1 (Python's http.server and pyftpdlib): success, a transfer that
// breaks off, cancel, and a missing file in a set.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "linked/GoDownload.h"
#include "linked/GoFiles.h"
#include "platform/RecordingProgress.h"
#include "support/TempDir.h"

namespace {

// A Python server in a child process; it prints its port on its first line.
class LocalServer {
public:
    explicit LocalServer(const std::string& script)
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0) {
            dup2(fds[1], STDOUT_FILENO);
            close(fds[0]);
            close(fds[1]);
            execl("/usr/bin/python3", "python3", "-c", script.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        FILE* in = fdopen(fds[0], "r");
        if (in && std::fscanf(in, "%d", &m_nPort) != 1)
            m_nPort = 0;
        if (in)
            std::fclose(in);
    }
    ~LocalServer()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    int port() const { return m_nPort; }

private:
    pid_t m_pid = -1;
    int m_nPort = 0;
};

// http.server serving a folder, plus /broken (announces more bytes than it
// sends) and /slow (sends its body in small pieces with pauses).
std::string httpScript(const std::string& root)
{
    return "import http.server, functools, sys, time\n"
           "class H(http.server.SimpleHTTPRequestHandler):\n"
           "    def log_message(self, *a): pass\n"
           "    def special(self, body):\n"
           "        if self.path == '/broken':\n"
           "            self.send_response(200); self.send_header('Content-Length', '100000'); self.end_headers()\n"
           "            if body: self.wfile.write(b'x' * 1000); self.wfile.flush()\n"
           "            self.close_connection = True; return True\n"
           "        if self.path == '/slow':\n"
           "            self.send_response(200); self.send_header('Content-Length', '40000'); self.end_headers()\n"
           "            if body:\n"
           "                for i in range(40):\n"
           "                    self.wfile.write(b'y' * 1000); self.wfile.flush(); time.sleep(0.05)\n"
           "            return True\n"
           "        return False\n"
           "    def do_GET(self):\n"
           "        if not self.special(True): super().do_GET()\n"
           "    def do_HEAD(self):\n"
           "        if not self.special(False): super().do_HEAD()\n"
           "s = http.server.ThreadingHTTPServer(('127.0.0.1', 0), functools.partial(H, directory='" +
           root +
           "'))\n"
           "print(s.server_address[1], flush=True)\n"
           "s.serve_forever()\n";
}

std::string ftpScript(const std::string& root)
{
    return "import logging\n"
           "logging.disable(logging.CRITICAL)\n"
           "from pyftpdlib.authorizers import DummyAuthorizer\n"
           "from pyftpdlib.handlers import FTPHandler\n"
           "from pyftpdlib.servers import FTPServer\n"
           "a = DummyAuthorizer(); a.add_anonymous('" +
           root +
           "')\n"
           "FTPHandler.authorizer = a\n"
           "s = FTPServer(('127.0.0.1', 0), FTPHandler)\n"
           "print(s.address[1], flush=True)\n"
           "s.serve_forever()\n";
}

const char* const kObo = "[Term]\nid: GO:0000010\nname: ten\nnamespace: biological_process\nis_a: GO:0008150\n";

} // namespace

TEST(GoDownload, OboOverHttpArrivesUnderItsOwnName)
{
    TempDir remote, local;
    remote.write("ontology/go-basic.obo", kObo);
    LocalServer server(httpScript(remote.path("")));
    ASSERT_GT(server.port(), 0);
    GoDownloadSource source;
    source.m_strOboUrl = "http://127.0.0.1:" + std::to_string(server.port()) + "/ontology/go-basic.obo";
    RecordingProgress p;
    std::string error;
    ASSERT_EQ(downloadOntology(source, local.path(""), p, error), -1) << error;
    EXPECT_EQ(TempDir::read(local.path("go-basic.obo")), kObo);
    EXPECT_FALSE(std::filesystem::exists(local.path("go-basic.obo.new")));
    EXPECT_EQ(p.m_titles, std::vector<std::string>{"Downloading Gene Ontology"});
    const std::vector<std::string>& m = p.m_messages;
    ASSERT_GE(m.size(), 5u);
    EXPECT_EQ(m[0], "Downloading go-basic.obo");
    EXPECT_EQ(m[1], "Opening a session to 127.0.0.1:" + std::to_string(server.port()) + "...");
    EXPECT_EQ(m[2], "Querying the size of the remote file");
    EXPECT_EQ(m[3], "Opening the remote file :/ontology/go-basic.obo");
    EXPECT_EQ(m.back(), "go-basic.obo: " + std::to_string(std::string(kObo).size()) + "/" +
                            std::to_string(std::string(kObo).size()) + " bytes");
    EXPECT_EQ(p.m_nCloses, 1);
}

TEST(GoDownload, BrokenOffCancelledOrMissingTransfersLeaveThePreviousFile)
{
    TempDir remote, local;
    LocalServer server(httpScript(remote.path("")));
    ASSERT_GT(server.port(), 0);
    const std::string base = "http://127.0.0.1:" + std::to_string(server.port());
    const std::string target = local.write("go-basic.obo", "previous");
    std::string error;
    {
        RecordingProgress p;
        EXPECT_FALSE(downloadFile(base + "/broken", target, "Downloading go-basic.obo", p, error));
        EXPECT_FALSE(error.empty());
    }
    {
        RecordingProgress p;
        p.cancelAfterPumps(8);
        EXPECT_FALSE(downloadFile(base + "/slow", target, "Downloading go-basic.obo", p, error));
        EXPECT_EQ(error, "cancelled");
        // It was stopped while copying, after some bytes had come.
        bool copying = false;
        for (const std::string& m : p.m_messages)
            copying = copying || m.find("/40000 bytes") != std::string::npos;
        EXPECT_TRUE(copying);
    }
    {
        RecordingProgress p;
        EXPECT_FALSE(downloadFile(base + "/missing.obo", target, "Downloading go-basic.obo", p, error));
    }
    EXPECT_EQ(TempDir::read(target), "previous");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(local.path("")), {}), 1);
}

TEST(GoDownload, FlatFilesOverAnonymousFtpInOrderAndAllOrNothing)
{
    TempDir remote, local;
    remote.write("pub/go/doc/GO.terms_and_ids", "!c\nGO:0000010\tten\tP\n");
    remote.write("pub/go/ontology/function.ontology", "$Gene_Ontology ; GO:0003673\n");
    remote.write("pub/go/ontology/process.ontology", "  %ten ; GO:0000010\n");
    LocalServer server(ftpScript(remote.path("")));
    ASSERT_GT(server.port(), 0);
    GoDownloadSource source;
    source.m_bObo = false;
    source.m_strFtpServer = "127.0.0.1:" + std::to_string(server.port());
    local.write("GO.terms_and_ids", "previous");
    std::string error;
    {
        // component.ontology is missing: nothing is replaced.
        RecordingProgress p;
        EXPECT_EQ(downloadOntology(source, local.path(""), p, error), 3);
        EXPECT_EQ(TempDir::read(local.path("GO.terms_and_ids")), "previous");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(local.path("")), {}), 1);
    }
    remote.write("pub/go/ontology/component.ontology", "");
    RecordingProgress p;
    ASSERT_EQ(downloadOntology(source, local.path(""), p, error), -1) << error;
    std::vector<std::string> tasks;
    for (const std::string& m : p.m_messages)
        if (m.rfind("Downloading ", 0) == 0)
            tasks.push_back(m);
    EXPECT_EQ(tasks, (std::vector<std::string>{"Downloading GO.terms_and_ids", "Downloading Molecular Function Ontology",
                                               "Downloading Biological Process Ontology",
                                               "Downloading Cellular Component Ontology"}));
    EXPECT_NE(std::find(p.m_messages.begin(), p.m_messages.end(),
                        "Opening the remote file :/pub/go/ontology/process.ontology"),
              p.m_messages.end());
    GoOntology o;
    ASSERT_TRUE(loadOntology(local.path(""), o, p).ok);
    EXPECT_EQ(o.term(o.termIndex(10)).m_strName, "ten");
}
