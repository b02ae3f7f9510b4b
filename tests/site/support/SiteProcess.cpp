#include "SiteProcess.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <pqxx/pqxx>
#include <regex>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace qob::test {

namespace {

std::atomic<int> made{0};

std::string newFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "qob-site-test.XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    return pattern;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

}  // namespace

TestDatabase::TestDatabase() {
    const char* file = std::getenv("QOB_TEST_POSTGRESQL_FILE");
    postgres_ = file != nullptr && *file != '\0';
    if (!postgres_) {
        folder_ = newFolder();
        address_ = "sqlite:" + folder_ + "/scores.db";
        return;
    }
    std::istringstream(readFile(file)) >> maintenance_;
    const std::string marker = "/postgres?";
    const std::size_t at = maintenance_.find(marker);
    if (at == std::string::npos) throw std::runtime_error("unexpected cluster address");
    name_ = "qob_test_" + std::to_string(getpid()) + "_" + std::to_string(made++);
    pqxx::connection c(maintenance_);
    pqxx::nontransaction w(c);
    w.exec("CREATE DATABASE " + name_);
    address_ =
        maintenance_.substr(0, at) + "/" + name_ + "?" + maintenance_.substr(at + marker.size());
}

TestDatabase::~TestDatabase() {
    if (postgres_) {
        try {
            pqxx::connection c(maintenance_);
            pqxx::nontransaction w(c);
            w.exec("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
        } catch (const std::exception&) {
        }
    } else {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

SiteProcess::SiteProcess(const std::string& database, const std::vector<std::string>& arguments,
                         const std::string& listen)
    : host_(listen.substr(0, listen.rfind(':'))) {
    logFile_ = newFolder() + "/site.log";
    std::vector<std::string> args = {QOB_SITE_PROGRAM, "--listen", listen, "--db", database};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e)
        if (std::strncmp(*e, "TZ=", 3) != 0) env.emplace_back(*e);
    env.emplace_back("TZ=UTC");
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    int out[2];
    if (pipe(out) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, 2, logFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return;
    }
    pid_ = pid;

    // The first line names the port: "qob-site listening on http://ADDRESS:PORT/qob/ ...".
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd p{out[0], POLLIN, 0};
        if (poll(&p, 1, 200) <= 0) continue;
        char buf[256];
        const ssize_t n = read(out[0], buf, sizeof buf);
        if (n <= 0) break;
        line.append(buf, static_cast<std::size_t>(n));
    }
    close(out[0]);
    std::smatch match;
    if (std::regex_search(line, match, std::regex(":([0-9]+)/qob/ ")))
        port_ = static_cast<std::uint16_t>(std::stoi(match[1]));
}

SiteProcess::~SiteProcess() {
    stop();
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(logFile_).parent_path(), ignored);
}

int SiteProcess::stop() {
    if (pid_ == 0) return -1;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = 0;
    port_ = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string SiteProcess::baseUrl() const {
    return "http://" + host_ + ":" + std::to_string(port_);
}

std::string SiteProcess::log() const {
    return readFile(logFile_);
}

HttpReply httpRequest(std::uint16_t port, const std::string& target,
                      const std::vector<std::pair<std::string, std::string>>& headers,
                      const std::string& method) {
    HttpReply reply;
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0) return reply;
    timeval timeout{20, 0};
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(s);
        return reply;
    }
    std::string request = method + " " + target +
                          " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                          "\r\nConnection: close\r\n";
    for (const auto& [name, value] : headers)
        request += name + ": " + value + "\r\n";
    request += "\r\n";
    // A server that refuses a long request may close before it has all of it.
    for (std::size_t sent = 0; sent < request.size();) {
        const ssize_t n = send(s, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<std::size_t>(n);
    }
    std::string data;
    char buf[65536];
    for (ssize_t n; (n = recv(s, buf, sizeof buf, 0)) > 0;)
        data.append(buf, static_cast<std::size_t>(n));
    close(s);

    const std::size_t headEnd = data.find("\r\n\r\n");
    if (data.rfind("HTTP/1.", 0) != 0 || headEnd == std::string::npos) return reply;
    reply.status = std::atoi(data.c_str() + 9);
    std::istringstream head(data.substr(0, headEnd));
    std::string line;
    std::getline(head, line);
    while (std::getline(head, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::string value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(' '));
        reply.headers[lower(line.substr(0, colon))] = value;
    }
    reply.body = data.substr(headEnd + 4);
    return reply;
}

std::string targetOf(const std::string& address) {
    const std::size_t scheme = address.find("://");
    const std::size_t path = address.find('/', scheme == std::string::npos ? 0 : scheme + 3);
    return path == std::string::npos ? "/" : address.substr(path);
}

}  // namespace qob::test
