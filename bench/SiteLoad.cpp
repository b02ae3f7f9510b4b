// qob-site-load: a load generator for the game's website on 127.0.0.1. Clients publish
// score records, each record sent twice by two clients at about the same moment, then
// read the ranking; both bounded in count and in time. It prints the rate and the p50
// and p99 latencies of each, and how the publications were answered.
//
// The records are written by the game's own record procedure from games a seeded
// player played by the rules, each saved at its own moment so that every one is a
// record of its own.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "GamePlayer.h"
#include "RecordFileIo.h"
#include "RecordFiles.h"
#include "SampleGame.h"

namespace {

using namespace qob;
using Clock = std::chrono::steady_clock;

struct Options {
    int port = 0;
    int clients = 32;
    int records = 2000;
    int rankings = 20000;
    int seconds = 60;  // for each of the two phases
};

const char* const kUsage =
    "usage: qob-site-load --port PORT [--clients N] [--records N] [--rankings N] [--seconds N]\n"
    "\n"
    "Loads the website at 127.0.0.1:PORT (the only host it talks to):\n"
    "  --clients N    concurrent clients, each on a connection of its own (32)\n"
    "  --records N    score records to publish; each is sent twice, by two clients (2000)\n"
    "  --rankings N   ranking pages to read (20000)\n"
    "  --seconds N    the longest each of the two phases may take (60)\n";

std::optional<Options> parseOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        char* end = nullptr;
        const long value = std::strtol(argv[i + 1], &end, 10);
        if (*end != '\0' || value < 1) return std::nullopt;
        if (option == "--port" && value <= 65535)
            o.port = static_cast<int>(value);
        else if (option == "--clients" && value <= 256)
            o.clients = static_cast<int>(value);
        else if (option == "--records" && value <= 100000)
            o.records = static_cast<int>(value);
        else if (option == "--rankings" && value <= 1000000)
            o.rankings = static_cast<int>(value);
        else if (option == "--seconds" && value <= 600)
            o.seconds = static_cast<int>(value);
        else
            return std::nullopt;
    }
    if (argc % 2 == 0 || o.port == 0) return std::nullopt;
    return o;
}

// The games behind the records: each mode, ended in each way the rules end it, and a
// "sport" game of thirty levels.
std::vector<GameState> playedGames() {
    std::vector<GameState> games;
    for (const test::GameKind kind :
         {test::GameKind::LimWhole, test::GameKind::LimDeadBoard, test::GameKind::GameToItsEnd,
          test::GameKind::SportClock, test::GameKind::SportNoRingLeft}) {
        const auto g = test::playGameOf(kind);
        if (g) games.push_back(g->recorded());
    }
    test::SampleGame sport(test::GameKind::SportRunning, 1);
    sport.player.play([&sport] { return sport.game.state.levelNo >= 30; });
    games.push_back(sport.game.state);
    return games;
}

// The publication address of `count` records, each saved one second after the last.
std::vector<std::string> publications(int count) {
    const std::vector<GameState> games = playedGames();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("qob-site-load-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "r.rec").string();
    std::vector<std::string> targets;
    for (int i = 0; i < count; ++i) {
        GameState state = games[static_cast<std::size_t>(i) % games.size()];
        test::FakeWindow window;
        window.folder = folder.string();
        // From 2005-6-2 0:00:00 on, after every game's start.
        window.clock = DateTime{2005, 6, 2 + i / 86400, i / 3600 % 24, i / 60 % 60, i % 60};
        RecordFiles files(state, window, "");
        window.inputs.push_back("负载" + std::to_string(i));
        window.files.push_back(path);
        files.RecFileSave();
        targets.push_back(uploadAddress("", readRecordFile(path).text));
    }
    std::filesystem::remove_all(folder);
    return targets;
}

// One keep-alive connection to 127.0.0.1.
class Connection {
  public:
    explicit Connection(int port) : port_(port) {}
    ~Connection() { close(); }

    // Sends a GET and reads the answer; nothing when the exchange fails. `publication`
    // receives the X-Qob-Publication header.
    std::optional<int> get(const std::string& target, std::string& publication) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (fd_ < 0 && !open()) return std::nullopt;
            const std::string request =
                "GET " + target +
                " HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: qob-site-load\r\n\r\n";
            if (sendAll(request)) {
                if (const auto status = readAnswer(publication)) return status;
            }
            close();  // the server closed a kept connection: once more on a new one
        }
        return std::nullopt;
    }

  private:
    bool open() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        if (fd_ < 0) return false;
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port_));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const int on = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        timeval timeout{10, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            close();
            return false;
        }
        buffer_.clear();
        return true;
    }
    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    bool sendAll(const std::string& data) {
        std::size_t sent = 0;
        while (sent < data.size()) {
            const ssize_t n = ::send(fd_, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return false;
            sent += static_cast<std::size_t>(n);
        }
        return true;
    }
    bool fill() {
        char chunk[16384];
        const ssize_t n = ::recv(fd_, chunk, sizeof chunk, 0);
        if (n <= 0) return false;
        buffer_.append(chunk, static_cast<std::size_t>(n));
        return true;
    }
    static std::string headerValue(const std::string& head, const std::string& name) {
        std::string lower = head;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        const std::size_t at = lower.find("\r\n" + name + ":");
        if (at == std::string::npos) return {};
        std::size_t start = at + 3 + name.size();
        while (start < head.size() && head[start] == ' ')
            ++start;
        return head.substr(start, head.find("\r\n", start) - start);
    }
    std::optional<int> readAnswer(std::string& publication) {
        std::size_t end;
        while ((end = buffer_.find("\r\n\r\n")) == std::string::npos)
            if (buffer_.size() > 1 << 20 || !fill()) return std::nullopt;
        const std::string head = buffer_.substr(0, end);
        if (head.rfind("HTTP/1.1 ", 0) != 0) return std::nullopt;
        const int status = std::atoi(head.c_str() + 9);
        const std::size_t length =
            static_cast<std::size_t>(std::atol(headerValue(head, "content-length").c_str()));
        while (buffer_.size() < end + 4 + length)
            if (!fill()) return std::nullopt;
        buffer_.erase(0, end + 4 + length);
        publication = headerValue(head, "x-qob-publication");
        std::string connection = headerValue(head, "connection");
        if (connection == "close" || connection == "Close") close();
        return status;
    }

    int port_;
    int fd_ = -1;
    std::string buffer_;
};

struct PhaseResult {
    std::vector<double> latencies;  // milliseconds
    double seconds = 0;
    int failed = 0;  // no answer, or a status other than 200
    int accepted = 0, already = 0, refused = 0;
};

// Each client sends its own list of targets in order, until the list or the time is
// through.
PhaseResult runPhase(const Options& o, const std::vector<std::vector<std::string>>& lists) {
    std::vector<PhaseResult> parts(lists.size());
    const Clock::time_point start = Clock::now();
    const Clock::time_point deadline = start + std::chrono::seconds(o.seconds);
    std::vector<std::thread> clients;
    for (std::size_t c = 0; c < lists.size(); ++c)
        clients.emplace_back([&, c] {
            Connection connection(o.port);
            PhaseResult& part = parts[c];
            for (const std::string& target : lists[c]) {
                if (Clock::now() >= deadline) break;
                std::string publication;
                const Clock::time_point sent = Clock::now();
                const std::optional<int> status = connection.get(target, publication);
                part.latencies.push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
                if (!status || *status != 200) ++part.failed;
                if (publication == "accepted") ++part.accepted;
                if (publication == "already-published") ++part.already;
                if (publication == "refused") ++part.refused;
            }
        });
    for (std::thread& t : clients)
        t.join();
    PhaseResult all;
    all.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    for (const PhaseResult& part : parts) {
        all.latencies.insert(all.latencies.end(), part.latencies.begin(), part.latencies.end());
        all.failed += part.failed;
        all.accepted += part.accepted;
        all.already += part.already;
        all.refused += part.refused;
    }
    std::sort(all.latencies.begin(), all.latencies.end());
    return all;
}

double percentile(const std::vector<double>& sorted, double p) {
    if (sorted.empty()) return 0;
    const std::size_t at = static_cast<std::size_t>(p * static_cast<double>(sorted.size() - 1));
    return sorted[at];
}

void print(const char* what, const PhaseResult& r) {
    std::printf("%s: %zu requests in %.2f s, %.0f/s, p50 %.2f ms, p99 %.2f ms, failed %d\n", what,
                r.latencies.size(), r.seconds, static_cast<double>(r.latencies.size()) / r.seconds,
                percentile(r.latencies, 0.50), percentile(r.latencies, 0.99), r.failed);
}

}  // namespace

int main(int argc, char** argv) {
    const std::optional<Options> options = parseOptions(argc, argv);
    if (!options) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const Options& o = *options;
    const auto clients = static_cast<std::size_t>(o.clients);

    const std::vector<std::string> records = publications(o.records);
    // Record r goes to client r mod C and, right after, to the next client, at the same
    // place in its list: the two copies race.
    std::vector<std::vector<std::string>> lists(clients);
    for (std::size_t r = 0; r < records.size(); ++r) {
        lists[r % clients].push_back(records[r]);
        lists[(r + 1) % clients].push_back(records[r]);
    }
    const PhaseResult published = runPhase(o, lists);
    print("publications", published);
    std::printf("published: accepted %d, already published %d, refused %d\n", published.accepted,
                published.already, published.refused);

    const char* const pages[] = {"/qob/sslist.htm", "/qob/sslist.htm?mode=sport",
                                 "/qob/sslist.htm?mode=lim&period=week",
                                 "/qob/sslist.htm?mode=game&period=all"};
    for (auto& list : lists)
        list.clear();
    for (int k = 0; k < o.rankings; ++k)
        lists[static_cast<std::size_t>(k) % clients].push_back(pages[k % 4]);
    print("rankings", runPhase(o, lists));
    return published.failed == 0 ? 0 : 1;
}
