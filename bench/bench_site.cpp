// The website's work for one request, in-process (no HTTP): checking a record, publishing
// it (check, store, rank, answer page) and making the ranking page. The database is a new
// SQLite file, or the PostgreSQL database that QOB_BENCH_DB names (postgresql://...).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Game.h"
#include "Pages.h"
#include "PlayedGame.h"
#include "RecordChecks.h"
#include "RecordEdits.h"
#include "RecordFiles.h"
#include "Site.h"
#include "SiteProcess.h"
#include "SiteTime.h"
#include "StoragePool.h"

namespace {

using namespace qob;
using namespace qob::site;

const DateTime kPlayed{2026, 12, 10, 8, 0, 0};
const TimePoint kNow{std::chrono::seconds{secondsOf(DateTime{2026, 12, 10, 12, 0, 0})}};

const std::string& sportRecord() {
    static const std::string record = [] {
        test::PlayedGame g(kModeSport, kPlayed, 7);
        for (int k = 0; k < 20; ++k) {
            g.play(10);
            g.tick(2);
        }
        return g.save("小明");
    }();
    return record;
}

// The same game saved k seconds later: records that are each stored anew, and each
// verified by the replay of the same log.
std::string variant(int k) {
    const std::string saved = test::fieldsOf(sportRecord())[11];
    const std::int64_t at = secondsOf(*DateTime::parse(saved)) + k;
    return test::edited(sportRecord(),
                        {{11, utcDateTime(TimePoint{std::chrono::seconds{at}}).toText()}});
}

struct Bench {
    Bench() {
        const char* db = std::getenv("QOB_BENCH_DB");
        folder = std::filesystem::temp_directory_path() / "qob-bench-site";
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        database = db != nullptr ? db : "sqlite:" + (folder / "scores.db").string();
        pool = std::make_unique<StoragePool>(database, openScoreStorage(database));
        SiteSettings settings;
        settings.publicationsPerMinute = 0;
        settings.clock = [] { return kNow; };
        pages = std::make_unique<Pages>(QOB_BENCH_PAGES);
        site = std::make_unique<Site>(*pages, *pool, settings);
    }
    ~Bench() { std::filesystem::remove_all(folder); }

    HttpResponse get(const std::string& target) {
        HttpRequest request;
        request.method = "GET";
        request.target = target;
        request.clientAddress = "127.0.0.1";
        request.header = [](const char*) { return std::optional<std::string>(); };
        return site->handle(request);
    }

    std::filesystem::path folder;
    std::string database;
    std::unique_ptr<StoragePool> pool;
    std::unique_ptr<Pages> pages;
    std::unique_ptr<Site> site;
};

void BM_CheckScoreRecord(benchmark::State& state) {
    const std::string& record = sportRecord();
    for (auto _ : state)
        benchmark::DoNotOptimize(checkScoreRecord(record, kNow));
}
BENCHMARK(BM_CheckScoreRecord);

void BM_Publish(benchmark::State& state) {
    Bench bench;
    std::vector<std::string> targets;
    for (int k = 0; k < 3000; ++k)
        targets.push_back(test::targetOf(uploadAddress("http://x", variant(k))));
    std::size_t next = 0;
    for (auto _ : state) {
        const HttpResponse r = bench.get(targets[next++ % targets.size()]);
        const bool accepted = std::find(r.headers.begin(), r.headers.end(),
                                        std::pair<std::string, std::string>(
                                            "X-Qob-Publication", "accepted")) != r.headers.end();
        if (r.status != 200 || !accepted) state.SkipWithError("not accepted");
    }
}
BENCHMARK(BM_Publish)->Iterations(2000)->Unit(benchmark::kMicrosecond);

void BM_PublishAgain(benchmark::State& state) {
    Bench bench;
    const std::string target = test::targetOf(uploadAddress("http://x", sportRecord()));
    bench.get(target);
    for (auto _ : state)
        benchmark::DoNotOptimize(bench.get(target));
}
BENCHMARK(BM_PublishAgain)->Unit(benchmark::kMicrosecond);

// The ranking page over 3000 stored records.
void BM_RankingPage(benchmark::State& state) {
    Bench bench;
    for (int k = 0; k < 3000; ++k)
        bench.get(test::targetOf(uploadAddress("http://x", variant(k))));
    for (auto _ : state)
        benchmark::DoNotOptimize(bench.get("/qob/sslist.htm"));
}
BENCHMARK(BM_RankingPage)->Unit(benchmark::kMicrosecond);

}  // namespace
