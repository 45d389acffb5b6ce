#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Servers on 127.0.0.1 that a test starts and stops itself: nginx serving files (and optional extra
// locations), tinyproxy, and a small Python peer that echoes requests or stalls. Each one owns a
// temporary folder for its configuration and logs and stops its process in the destructor.
namespace qm::test {

// A free TCP port on 127.0.0.1 (bound to port 0 and released again), or 0 when none is found.
int freeLoopbackPort();
// True once a connection to 127.0.0.1:port succeeds, polling until the time-out.
bool waitForPort(int port, std::chrono::milliseconds timeout = std::chrono::seconds(5));

// A folder under the system temp folder, removed with everything in it when the holder goes.
class TempFolder final
{
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// One child process; stop() sends SIGTERM, waits a bounded time, then SIGKILL and reaps it.
class ChildProcess final
{
public:
    ChildProcess() = default;
    ~ChildProcess() { stop(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // argv[0] is looked up in PATH. Output goes to the given file (appended), or /dev/null when empty.
    // With stdoutPipe, the child's stdout is a pipe readable through readLine().
    bool spawn(const std::vector<std::string>& argv, const std::filesystem::path& outputFile = {},
               bool stdoutPipe = false);
    // One line of the child's stdout pipe, without the newline; empty on time-out or end.
    std::string readLine(std::chrono::milliseconds timeout = std::chrono::seconds(5));
    bool running();
    void stop();
    pid_t pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
    int m_pipe = -1;
};

struct LoopbackOptions
{
    // 0 picks a free port; a fixed port serves programs built against a fixed test host.
    int port = 0;
    // A second, TLS listener with a self-signed certificate made when the server starts.
    bool https = false;
    // nginx directives (usually location blocks) put into every server block. "{HTTP_PORT}" and
    // "{HTTPS_PORT}" in it are replaced by the listening ports, "{ROOT}" by root().
    std::string locations;
};

// nginx serving the files under root() over plain http (and https when asked) on 127.0.0.1.
class LoopbackServer final
{
public:
    explicit LoopbackServer(LoopbackOptions options = {});
    ~LoopbackServer() { stop(); }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // Writes the configuration and starts nginx; true once every port accepts connections.
    bool start();
    void stop();
    bool running();

    int port() const { return m_port; }
    int httpsPort() const { return m_httpsPort; }
    // "http://127.0.0.1:PORT" + path; path should begin with "/".
    std::string url(std::string_view path = "/") const;
    std::string httpsUrl(std::string_view path = "/") const;

    // Files are served from here; a query string in the request is ignored when mapping to a file.
    std::filesystem::path root() const { return m_folder.path() / "root"; }
    // Writes bytes to root()/relative, creating folders; true on success.
    bool writeFile(const std::filesystem::path& relative, std::string_view bytes) const;
    // One line per finished request: "METHOD URI STATUS".
    std::string accessLog() const;
    std::string errorLog() const;

private:
    LoopbackOptions m_options;
    TempFolder m_folder;
    ChildProcess m_process;
    int m_port = 0;
    int m_httpsPort = 0;
};

// tinyproxy on a free port of 127.0.0.1, no upstream, logging every request it serves.
class ProxyServer final
{
public:
    ProxyServer() = default;
    ~ProxyServer() { stop(); }
    ProxyServer(const ProxyServer&) = delete;
    ProxyServer& operator=(const ProxyServer&) = delete;

    bool start();
    void stop();
    bool running();
    int port() const { return m_port; }
    // "127.0.0.1:PORT", the form a proxy argument takes.
    std::string address() const;
    // tinyproxy's log; a served request shows as a line containing "Request (file descriptor".
    std::string log() const;

private:
    TempFolder m_folder;
    ChildProcess m_process;
    int m_port = 0;
};

// A Python peer on a free port. Echo answers each request with "200 OK" and a body holding the
// request exactly as received (request line, header lines, blank line, body). Stall accepts
// connections and never sends a byte.
class PeerServer final
{
public:
    enum class Mode { Echo, Stall };

    explicit PeerServer(Mode mode) : m_mode(mode) {}
    ~PeerServer() { stop(); }
    PeerServer(const PeerServer&) = delete;
    PeerServer& operator=(const PeerServer&) = delete;

    bool start();
    void stop();
    bool running();
    int port() const { return m_port; }
    std::string url(std::string_view path = "/") const;

private:
    Mode m_mode;
    ChildProcess m_process;
    int m_port = 0;
};

} // namespace qm::test
