#include "tests/support/loopback_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>
#include <thread>
#include <utility>

namespace qm::test {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

class Fd final
{
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

sockaddr_in loopbackAddress(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// Full path of a program: PATH first, then the sbin folders a non-root PATH tends to lack.
std::string findProgram(const std::string& name)
{
    if (name.find('/') != std::string::npos)
        return name;
    std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    path += ":/usr/sbin:/sbin:/usr/bin:/bin";
    std::istringstream folders(path);
    for (std::string folder; std::getline(folders, folder, ':');) {
        if (folder.empty())
            continue;
        fs::path candidate = fs::path(folder) / name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate.string();
    }
    return {};
}

// Starts argv with stdin from /dev/null and stdout/stderr to outputFd; the child dies with us.
pid_t launch(const std::vector<std::string>& argv, int outputFd, int stdoutFd)
{
    if (argv.empty())
        return -1;
    const std::string program = findProgram(argv[0]);
    if (program.empty())
        return -1;
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    Fd devNull(::open("/dev/null", O_RDWR | O_CLOEXEC));
    const pid_t parent = ::getpid();

    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    // Child: only async-signal-safe calls from here on.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent)
        ::_exit(126);
    const int out = outputFd >= 0 ? outputFd : devNull.get();
    ::dup2(devNull.get(), STDIN_FILENO);
    ::dup2(stdoutFd >= 0 ? stdoutFd : out, STDOUT_FILENO);
    ::dup2(out, STDERR_FILENO);
    ::execv(program.c_str(), args.data());
    ::_exit(127);
}

bool reap(pid_t pid, std::chrono::milliseconds timeout, int* status = nullptr)
{
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        int local = 0;
        const pid_t done = ::waitpid(pid, &local, WNOHANG);
        if (done == pid || (done < 0 && errno == ECHILD)) {
            if (status)
                *status = local;
            return true;
        }
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// Runs a program to its end (bounded); true when it exits with status 0.
bool runProgram(const std::vector<std::string>& argv, const fs::path& outputFile)
{
    Fd output(::open(outputFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
    const pid_t pid = launch(argv, output.get(), -1);
    if (pid < 0)
        return false;
    int status = 0;
    if (!reap(pid, std::chrono::seconds(30), &status)) {
        ::kill(pid, SIGKILL);
        reap(pid, std::chrono::seconds(5));
        return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool writeText(const fs::path& path, std::string_view bytes)
{
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

void replaceAll(std::string& text, std::string_view from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// Waits until every port accepts, giving up early when the process has died.
bool waitForPorts(ChildProcess& process, std::initializer_list<int> ports)
{
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    for (int port : ports) {
        if (port == 0)
            continue;
        for (;;) {
            if (!process.running())
                return false;
            if (waitForPort(port, std::chrono::milliseconds(50)))
                break;
            if (Clock::now() >= deadline)
                return false;
        }
    }
    return true;
}

std::string loopbackUrl(std::string_view scheme, int port, std::string_view path)
{
    return std::string(scheme) + "://127.0.0.1:" + std::to_string(port) + std::string(path);
}

} // namespace

int freeLoopbackPort()
{
    Fd socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (socket.get() < 0)
        return 0;
    sockaddr_in address = loopbackAddress(0);
    if (::bind(socket.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return 0;
    socklen_t length = sizeof address;
    if (::getsockname(socket.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 0;
    return ntohs(address.sin_port);
}

bool waitForPort(int port, std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        Fd socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        sockaddr_in address = loopbackAddress(port);
        if (socket.get() >= 0 && ::connect(socket.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
            return true;
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

TempFolder::TempFolder()
{
    std::error_code error;
    fs::path base = fs::temp_directory_path(error);
    if (error)
        base = "/tmp";
    std::string pattern = (base / "quillmast-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()))
        m_path = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code error;
    if (!m_path.empty())
        fs::remove_all(m_path, error);
}

bool ChildProcess::spawn(const std::vector<std::string>& argv, const std::filesystem::path& outputFile, bool stdoutPipe)
{
    stop();
    Fd output;
    if (!outputFile.empty())
        output.reset(::open(outputFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
    int ends[2] = {-1, -1};
    if (stdoutPipe && ::pipe2(ends, O_CLOEXEC) != 0)
        return false;
    Fd readEnd(ends[0]);
    Fd writeEnd(ends[1]);
    m_pid = launch(argv, output.get(), writeEnd.get());
    if (m_pid < 0)
        return false;
    m_pipe = readEnd.release();
    return true;
}

std::string ChildProcess::readLine(std::chrono::milliseconds timeout)
{
    std::string line;
    const auto deadline = Clock::now() + timeout;
    while (m_pipe >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return {};
        pollfd wanted{m_pipe, POLLIN, 0};
        if (::poll(&wanted, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char byte = 0;
        if (::read(m_pipe, &byte, 1) != 1)
            return {};
        if (byte == '\n')
            return line;
        line += byte;
    }
    return {};
}

bool ChildProcess::running()
{
    if (m_pid <= 0)
        return false;
    int status = 0;
    if (::waitpid(m_pid, &status, WNOHANG) == 0)
        return true;
    m_pid = -1;
    return false;
}

void ChildProcess::stop()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        if (!reap(m_pid, std::chrono::seconds(3))) {
            ::kill(m_pid, SIGKILL);
            reap(m_pid, std::chrono::seconds(5));
        }
        m_pid = -1;
    }
    if (m_pipe >= 0) {
        ::close(m_pipe);
        m_pipe = -1;
    }
}

LoopbackServer::LoopbackServer(LoopbackOptions options) : m_options(std::move(options)) {}

bool LoopbackServer::start()
{
    stop();
    const fs::path dir = m_folder.path();
    if (dir.empty())
        return false;
    std::error_code error;
    for (const char* sub : {"root", "tmp"})
        fs::create_directories(dir / sub, error);
    const fs::path cert = dir / "cert.pem";
    const fs::path key = dir / "key.pem";
    if (m_options.https && !fs::exists(cert)) {
        const bool made = runProgram({"openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                                      "ec_paramgen_curve:prime256v1", "-nodes", "-days", "2", "-subj",
                                      "/CN=quillmast.test", "-keyout", key.string(), "-out", cert.string()},
                                     dir / "openssl.log");
        if (!made)
            return false;
    }

    // Fixed ports cannot be retried; free ports may be taken between the probe and nginx's bind.
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_port = m_options.port != 0 ? m_options.port : freeLoopbackPort();
        m_httpsPort = m_options.https ? freeLoopbackPort() : 0;
        if (m_port == 0 || (m_options.https && m_httpsPort == 0))
            return false;

        std::string locations = m_options.locations;
        replaceAll(locations, "{HTTP_PORT}", std::to_string(m_port));
        replaceAll(locations, "{HTTPS_PORT}", std::to_string(m_httpsPort));
        replaceAll(locations, "{ROOT}", root().string());
        const std::string d = dir.string();
        const std::string common = "        root " + root().string() + ";\n" + locations + "\n";
        // One process without workers: nothing changes user, so the temp folder stays readable,
        // and the process dies with the test even when the test crashes.
        std::string config = "master_process off;\ndaemon off;\n"
                             "pid " +
                             d + "/nginx.pid;\nerror_log " + d +
                             "/error.log info;\n"
                             "events { worker_connections 256; }\n"
                             "http {\n"
                             "    log_format lines '$request_method $request_uri $status';\n"
                             "    access_log " +
                             d +
                             "/access.log lines;\n"
                             "    client_body_temp_path " +
                             d +
                             "/tmp/body;\n"
                             "    proxy_temp_path " +
                             d +
                             "/tmp/proxy;\n"
                             "    fastcgi_temp_path " +
                             d +
                             "/tmp/fastcgi;\n"
                             "    uwsgi_temp_path " +
                             d +
                             "/tmp/uwsgi;\n"
                             "    scgi_temp_path " +
                             d +
                             "/tmp/scgi;\n"
                             "    types { text/html html htm; text/plain txt; }\n"
                             "    default_type application/octet-stream;\n"
                             "    server {\n"
                             "        listen 127.0.0.1:" +
                             std::to_string(m_port) + ";\n" + common + "    }\n";
        if (m_options.https)
            config += "    server {\n"
                      "        listen 127.0.0.1:" +
                      std::to_string(m_httpsPort) +
                      " ssl;\n"
                      "        ssl_certificate " +
                      cert.string() +
                      ";\n"
                      "        ssl_certificate_key " +
                      key.string() + ";\n" + common + "    }\n";
        config += "}\n";
        if (!writeText(dir / "nginx.conf", config))
            return false;

        if (m_process.spawn({"nginx", "-p", d + "/", "-c", d + "/nginx.conf", "-e", d + "/error.log"},
                            dir / "nginx.out") &&
            waitForPorts(m_process, {m_port, m_httpsPort}))
            return true;
        m_process.stop();
        if (m_options.port != 0)
            break;
    }
    m_port = m_httpsPort = 0;
    return false;
}

void LoopbackServer::stop()
{
    m_process.stop();
}

bool LoopbackServer::running()
{
    return m_process.running();
}

std::string LoopbackServer::url(std::string_view path) const
{
    return loopbackUrl("http", m_port, path);
}

std::string LoopbackServer::httpsUrl(std::string_view path) const
{
    return loopbackUrl("https", m_httpsPort, path);
}

bool LoopbackServer::writeFile(const std::filesystem::path& relative, std::string_view bytes) const
{
    return writeText(root() / relative.relative_path(), bytes);
}

std::string LoopbackServer::accessLog() const
{
    return readFile(m_folder.path() / "access.log");
}

std::string LoopbackServer::errorLog() const
{
    return readFile(m_folder.path() / "error.log");
}

bool ProxyServer::start()
{
    stop();
    const fs::path dir = m_folder.path();
    if (dir.empty())
        return false;
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_port = freeLoopbackPort();
        if (m_port == 0)
            return false;
        const std::string config = "Port " + std::to_string(m_port) +
                                   "\nListen 127.0.0.1\nTimeout 30\nMaxClients 32\nAllow 127.0.0.1\n"
                                   "LogLevel Info\nLogFile \"" +
                                   (dir / "tinyproxy.log").string() + "\"\n";
        if (!writeText(dir / "tinyproxy.conf", config))
            return false;
        if (m_process.spawn({"tinyproxy", "-d", "-c", (dir / "tinyproxy.conf").string()}, dir / "tinyproxy.out") &&
            waitForPorts(m_process, {m_port}))
            return true;
        m_process.stop();
    }
    m_port = 0;
    return false;
}

void ProxyServer::stop()
{
    m_process.stop();
}

bool ProxyServer::running()
{
    return m_process.running();
}

std::string ProxyServer::address() const
{
    return "127.0.0.1:" + std::to_string(m_port);
}

std::string ProxyServer::log() const
{
    return readFile(m_folder.path() / "tinyproxy.log");
}

bool PeerServer::start()
{
    stop();
    if (!m_process.spawn({"python3", QM_PEER_SCRIPT, m_mode == Mode::Stall ? "stall" : "echo"}, {}, true))
        return false;
    m_port = std::atoi(m_process.readLine().c_str());
    if (m_port > 0 && waitForPort(m_port))
        return true;
    m_process.stop();
    m_port = 0;
    return false;
}

void PeerServer::stop()
{
    m_process.stop();
}

bool PeerServer::running()
{
    return m_process.running();
}

std::string PeerServer::url(std::string_view path) const
{
    return loopbackUrl("http", m_port, path);
}

} // namespace qm::test
