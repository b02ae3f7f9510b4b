#include "Site.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include "CodePage936.h"
#include "GameState.h"
#include "RecordChecks.h"
#include "RecordExtras.h"
#include "RecordFiles.h"
#include "SitePing.h"
#include "WebText.h"

namespace qob::site {

namespace {

const char* const kPagePrefix = "/qob/";
const char* const kListPage = "sslist.htm";

// The upload address the game builds: its path, the value of "act" it carries, and the
// key whose value is the record (the last key, which the record text follows).
struct UploadForm {
    std::string path;
    std::string act;
    std::string recordKey;
};

UploadForm uploadForm() {
    const Target upload = splitTarget(kUploadPath);
    UploadForm form;
    form.path = std::string(upload.path);
    form.act = std::string(queryValue(upload.query, "act").value_or(""));
    const std::string_view query = upload.query;
    const std::size_t last = query.rfind('&') == std::string_view::npos ? 0 : query.rfind('&') + 1;
    form.recordKey = std::string(query.substr(last, query.rfind('=') - last));
    return form;
}

const UploadForm& theUploadForm() {
    static const UploadForm form = uploadForm();
    return form;
}

std::string tooLarge() {
    return "记录太大：成绩记录最多 " + std::to_string(kScoreRecordLimit) + " 字节。";
}

bool isIpAddress(const std::string& text) {
    in6_addr v6{};
    in_addr v4{};
    return inet_pton(AF_INET, text.c_str(), &v4) == 1 ||
           inet_pton(AF_INET6, text.c_str(), &v6) == 1;
}

std::string trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(" \t") + 1 - first));
}

// The way back to /qob/ from the folder of a path under it.
std::string upFrom(std::string_view path) {
    std::string up;
    if (path.rfind(kPagePrefix, 0) != 0) return up;
    for (const char c : path.substr(std::string_view(kPagePrefix).size()))
        if (c == '/') up += "../";
    return up;
}

HttpResponse page(int status, std::string body, bool changing) {
    HttpResponse r;
    r.status = status;
    r.body = std::move(body);
    // The pages hold no script and load nothing from elsewhere.
    r.headers = {{"Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'"},
                 {"X-Content-Type-Options", "nosniff"},
                 {"Referrer-Policy", "no-referrer"},
                 {"Cache-Control", changing ? "no-store" : "max-age=300"}};
    return r;
}

std::optional<std::string> decodedValue(std::string_view query, const char* key) {
    const auto raw = queryValue(query, key);
    if (!raw) return std::nullopt;
    return percentDecode(*raw);
}

}  // namespace

std::size_t longestPublicationTarget() {
    return std::string_view(kUploadPath).size() + 3 * kScoreRecordLimit;
}

Site::Site(const Pages& pages, StoragePool& storage, SiteSettings settings)
    : pages_(pages), storage_(storage), settings_(std::move(settings)) {}

HttpResponse Site::handle(const HttpRequest& request) {
    try {
        return route(request);
    } catch (const StorageError& e) {
        if (settings_.log) settings_.log(std::string("database: ") + e.what());
        return page(503,
                    pages_.notice("网站暂时不能使用", "网站的数据库暂时无法访问，请稍后再试。", ""),
                    true);
    }
}

HttpResponse Site::route(const HttpRequest& request) {
    if (request.method != "GET" && request.method != "HEAD") {
        HttpResponse r =
            page(405, pages_.notice("不能这样访问", "本网站只接受 GET 请求。", ""), true);
        r.headers.emplace_back("Allow", "GET, HEAD");
        return r;
    }
    const Target target = splitTarget(request.target);
    const std::string_view path = target.path;

    if (path == kSitePingPath) {
        HttpResponse r;
        r.contentType = "text/plain; charset=utf-8";
        r.body = kSitePingBody;
        r.headers = {{kSitePingHeader, kSitePingHeaderValue}, {"Cache-Control", "no-store"}};
        return r;
    }
    if (path == "/" || path == "/qob" || path == "/qob/") {
        HttpResponse r = page(302, {}, false);
        r.headers.emplace_back("Location", "/qob/ssindex.htm");
        return r;
    }
    if (path == theUploadForm().path) {
        // A HEAD must change nothing, and a publication stores a record.
        if (request.method != "GET") {
            HttpResponse r =
                page(405, pages_.notice("不能这样访问", "发布成绩只接受 GET 请求。", "../"), true);
            r.headers.emplace_back("Allow", "GET");
            return r;
        }
        return publish(request, target.query);
    }
    if (path.rfind(kPagePrefix, 0) == 0) {
        const std::string name(path.substr(std::string_view(kPagePrefix).size()));
        if (name == kListPage) return ranking(target.query);
        if (const std::string* help = pages_.helpPage(name)) return page(200, *help, false);
    }
    return page(404, pages_.notice("没有这个页面", "网站上没有这个地址的页面。", upFrom(path)),
                false);
}

HttpResponse Site::refusal(const std::string& reason) {
    Answer answer;
    answer.kind = Answer::Refused;
    answer.reason = reason;
    HttpResponse r = page(200, pages_.answer(answer), true);
    r.headers.emplace_back("X-Qob-Publication", "refused");
    return r;
}

std::string Site::clientOf(const HttpRequest& request) const {
    if (settings_.trustProxy) {
        if (const auto forwarded = request.header("X-Forwarded-For")) {
            const std::size_t comma = forwarded->rfind(',');
            const std::string last = trimmed(
                std::string_view(*forwarded).substr(comma == std::string::npos ? 0 : comma + 1));
            if (isIpAddress(last)) return last;
        }
    }
    return request.clientAddress;
}

HttpResponse Site::publish(const HttpRequest& request, std::string_view query) {
    const UploadForm& form = theUploadForm();
    const auto act = queryValue(query, "act");
    const auto raw = queryValue(query, form.recordKey);
    if (!act || *act != form.act || !raw || raw->empty())
        return refusal("没有收到成绩记录：地址里缺少记录。请在游戏里按“发布成绩”。");
    // Every byte of the largest record written as %XX, and not one more.
    if (raw->size() > 3 * kScoreRecordLimit) return refusal(tooLarge());

    const TimePoint now = settings_.clock();
    StoragePool::Lease storage = storage_.borrow();
    try {
        const std::int64_t minute =
            std::chrono::duration_cast<std::chrono::minutes>(now.time_since_epoch()).count();
        const std::int64_t made = storage->countPublication(clientOf(request), minute);
        if (settings_.publicationsPerMinute > 0 && made > settings_.publicationsPerMinute)
            return refusal("发布太频繁：每个地址每分钟最多发布 " +
                           std::to_string(settings_.publicationsPerMinute) +
                           " 次，请过一会儿再试。");

        const std::optional<std::string> bytes = percentDecode(*raw);
        if (!bytes) return refusal("记录在网址中的编码不对：“%”后面应是两位十六进制数。");
        if (bytes->size() > kScoreRecordLimit) return refusal(tooLarge());
        RecordVerdict verdict = checkScoreRecord(fromCodePage936(*bytes), now);
        if (!verdict.record) return refusal(verdict.reason);

        const CheckedRecord& record = *verdict.record;
        const RecordValues& v = record.values;
        ScoreEntry entry;
        entry.seal = record.seal;
        entry.gameMode = v.gameMode;
        entry.totalScore = v.totalScore;
        entry.moveScore = v.moveScore;
        entry.bonusScore = v.bonusScore;
        entry.levelNo = v.levelNo;
        entry.roundNo = v.roundNo;
        entry.tilesCleared = v.tilesCleared;
        entry.gameId = v.gameID;
        entry.startedAt = sortableText(v.startTime);
        entry.playedAt = sortableText(v.saveTime);
        entry.playerName = record.playerName;
        entry.verified = record.verified;
        entry.recordText = record.text;
        entry.publishedAt = sortableText(utcDateTime(now));
        entry.publishedBy = clientOf(request);

        Answer answer;
        answer.publication = storage->publish(entry);
        answer.kind = answer.publication.stored ? Answer::Accepted : Answer::AlreadyPublished;
        answer.playerName = record.playerName;
        answer.totalScore = v.totalScore;
        answer.verified = record.verified;
        HttpResponse r = page(200, pages_.answer(answer), true);
        r.headers.emplace_back("X-Qob-Publication",
                               answer.publication.stored ? "accepted" : "already-published");
        return r;
    } catch (const StorageError&) {
        storage.drop();
        throw;
    }
}

HttpResponse Site::ranking(std::string_view query) {
    RankingView view;
    const std::string mode = decodedValue(query, "mode").value_or("");
    if (mode == kModeGame || mode == kModeSport || mode == kModeLim) view.onlyMode = mode;
    const std::string period = decodedValue(query, "period").value_or("");
    if (period == "today") view.period = Period::Today;
    if (period == "week") view.period = Period::Week;
    view.onlyVerified = decodedValue(query, "verified").value_or("") == "1";

    const DateTime today = localDateTime(settings_.clock());
    const std::string since = view.period == Period::Today  ? sortableText(startOfDay(today))
                              : view.period == Period::Week ? sortableText(startOfWeek(today))
                                                            : std::string();
    StoragePool::Lease storage = storage_.borrow();
    try {
        for (const char* m : {kModeGame, kModeSport, kModeLim})
            if (view.onlyMode.empty() || view.onlyMode == m)
                view.modes.push_back(
                    ModeRanking{m, storage->best(m, since, view.onlyVerified, kRankingSize)});
    } catch (const StorageError&) {
        storage.drop();
        throw;
    }
    return page(200, pages_.ranking(view), true);
}

}  // namespace qob::site
