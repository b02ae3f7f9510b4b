#include "Pages.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "GameState.h"
#include "WebText.h"

namespace qob::site {

namespace {

const char* const kHelpNames[] = {"ssindex.htm", "ssrule.htm", "ssdownload.htm"};
const char* const kListName = "sslist.htm";
// The game's help pages are a few KiB; nothing near this is one.
constexpr std::streamoff kPageLimit = 1024 * 1024;

const char* const kOnlineLine =
    "<p class=\"note\">这是霁虹珠台网站上的页面。最新的名次请看 <a "
    "href=\"sslist.htm\">排行榜</a>。</p>";

std::string readPage(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read the page " + path.string());
    std::ostringstream text;
    text << in.rdbuf();
    if (static_cast<std::streamoff>(text.tellp()) > kPageLimit)
        throw std::runtime_error("the page " + path.string() + " is too large");
    return text.str();
}

std::size_t findMark(const std::string& page, const char* mark, const std::filesystem::path& path) {
    const std::size_t at = page.find(mark);
    if (at == std::string::npos)
        throw std::runtime_error("the page " + path.string() + " lacks the mark " + mark);
    return at;
}

std::string periodWord(Period period) {
    switch (period) {
        case Period::Today:
            return "today";
        case Period::Week:
            return "week";
        case Period::All:
            break;
    }
    return "all";
}

std::string rankingLink(const std::string& mode, Period period, bool onlyVerified) {
    std::string link = "sslist.htm?";
    if (!mode.empty()) link += "mode=" + mode + "&amp;";
    link += "period=" + periodWord(period);
    return onlyVerified ? link + "&amp;verified=1" : link;
}

std::string choice(bool chosen, const std::string& link, const std::string& text) {
    if (chosen) return "<b>" + text + "</b>";
    return "<a href=\"" + link + "\">" + text + "</a>";
}

std::string filters(const RankingView& view) {
    const char* const separator = " &nbsp;|&nbsp; ";
    std::string out = "<p class=\"nav\">模式：";
    out += choice(view.onlyMode.empty(), rankingLink("", view.period, view.onlyVerified), "全部");
    for (const char* mode : {kModeGame, kModeSport, kModeLim}) {
        out += separator;
        out += choice(view.onlyMode == mode, rankingLink(mode, view.period, view.onlyVerified),
                      Pages::modeName(mode));
    }
    out += "<br>时间：";
    const std::pair<Period, const char*> periods[] = {
        {Period::Today, "今天"}, {Period::Week, "本周"}, {Period::All, "全部"}};
    bool first = true;
    for (const auto& [period, name] : periods) {
        if (!first) out += separator;
        first = false;
        out += choice(view.period == period, rankingLink(view.onlyMode, period, view.onlyVerified),
                      name);
    }
    out += "<br>成绩：";
    out += choice(!view.onlyVerified, rankingLink(view.onlyMode, view.period, false), "全部");
    out += separator;
    out += choice(view.onlyVerified, rankingLink(view.onlyMode, view.period, true), "只看复盘验证");
    return out + "</p>\n";
}

std::string shownName(const std::string& name) {
    return name.empty() ? std::string("无名氏") : htmlEscape(name);
}

std::string modeTable(const ModeRanking& ranking) {
    std::string out = "<p class=\"h2\">" + Pages::modeName(ranking.gameMode) + "</p>\n";
    if (ranking.rows.empty()) return out + "<p class=\"note\">还没有成绩。</p>\n";
    const bool levels = ranking.gameMode == kModeSport;
    // Narrow enough for the game's side panel, five columns and all.
    out += "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"2\">\n";
    // The same widths in every table, so that the three line up.
    out += std::string(
               "<tr><th width=\"12%\">名次</th><th width=\"38%\">称呼<br>日期</th>"
               "<th width=\"20%\">总分</th><th width=\"16%\">") +
           (levels ? "关数" : "轮数") + "<br>消珠</th><th width=\"14%\">复盘</th></tr>\n";
    for (const RankedScore& r : ranking.rows) {
        out += "<tr><td align=\"center\">" + std::to_string(r.rank) + "</td><td>" +
               shownName(r.playerName) + "<br><span class=\"date\">" +
               htmlEscape(r.playedAt.substr(0, 10)) + "</span></td><td align=\"right\">" +
               std::to_string(r.totalScore) + "</td><td align=\"right\">" +
               std::to_string(levels ? r.levelNo : r.roundNo) + "<br>" +
               std::to_string(r.tilesCleared) + "</td><td align=\"center\">" +
               (r.verified ? "复盘验证" : "") + "</td></tr>\n";
    }
    return out + "</table>\n";
}

}  // namespace

Pages::Pages(const std::filesystem::path& folder) {
    for (const char* name : kHelpNames) {
        const std::filesystem::path path = folder / name;
        std::string page = readPage(path);
        const std::size_t at = findMark(page, kOnlineMark, path);
        page.replace(at, std::string_view(kOnlineMark).size(), kOnlineLine);
        help_.emplace_back(name, std::move(page));
    }
    const std::filesystem::path path = folder / kListName;
    const std::string list = readPage(path);
    const std::size_t start = findMark(list, kBodyStart, path);
    const std::size_t end = findMark(list, kBodyEnd, path);
    if (end < start) throw std::runtime_error("the marks of " + path.string() + " are reversed");
    frameHead_ = list.substr(0, start);
    frameTail_ = list.substr(end + std::string_view(kBodyEnd).size());
    const std::size_t online = frameHead_.find(kOnlineMark);
    if (online != std::string::npos) frameHead_.erase(online, std::string_view(kOnlineMark).size());
}

const std::string* Pages::helpPage(const std::string& name) const {
    for (const auto& [n, page] : help_)
        if (n == name) return &page;
    return nullptr;
}

std::string Pages::modeName(const std::string& gameMode) {
    if (gameMode == kModeGame) return "常规模式";
    if (gameMode == kModeSport) return "过关模式";
    if (gameMode == kModeLim) return "限次模式";
    return gameMode;
}

std::string Pages::framed(const std::string& body, const std::string& up) const {
    std::string page = frameHead_ + body + frameTail_;
    // The links between the pages are relative to /qob/.
    const std::string link = "href=\"ss";
    if (!up.empty())
        for (std::size_t at = page.find(link); at != std::string::npos;
             at = page.find(link, at + link.size() + up.size()))
            page.insert(at + 6, up);
    return page;
}

std::string Pages::ranking(const RankingView& view) const {
    std::string body = "<p class=\"h1\">排行榜</p>\n" + filters(view);
    for (const ModeRanking& mode : view.modes)
        body += modeTable(mode);
    body +=
        "<p class=\"note\">每种模式列出总分最高的 50 份成绩。“复盘验证”：网站按游戏规则重放了"
        "成绩里的对局记录，结果与成绩完全一致。怎样发布成绩，请看 <a "
        "href=\"ssrule.htm\">游戏规则</a>。</p>\n";
    return framed(body, "");
}

std::string Pages::answer(const Answer& a) const {
    const std::string mode = modeName(a.publication.gameMode);
    const std::string rank = "第 <b>" + std::to_string(a.publication.rank) + "</b> 名";
    const std::string toRanking = "<p><a href=\"sslist.htm?mode=" + a.publication.gameMode +
                                  "&amp;period=all\">查看" + mode + "排行榜</a></p>\n";
    std::string body;
    switch (a.kind) {
        case Answer::Accepted:
            body = "<p class=\"h1\">成绩已发布</p>\n<p>谢谢！" + shownName(a.playerName) +
                   " 的成绩已登上排行榜：" + mode + "，总分 " + std::to_string(a.totalScore) +
                   "，" + rank + "。</p>\n" +
                   (a.verified ? "<p>网站按游戏规则重放了这局的对局记录，结果与成绩一致：这份成绩"
                                 "标为<b>复盘验证</b>。</p>\n"
                               : "<p class=\"note\">这份成绩没有带对局记录，没有复盘验证。</p>\n") +
                   toRanking;
            break;
        case Answer::AlreadyPublished:
            body = "<p class=\"h1\">这份成绩已经发布过</p>\n<p>同一份成绩记录只登榜一次。它在" +
                   mode + "中排" + rank + "。</p>\n" + toRanking;
            break;
        case Answer::Refused:
            body = "<p class=\"h1\">成绩没有发布</p>\n<p>网站没有接受这份记录：</p>\n<p><b>" +
                   htmlEscape(a.reason) +
                   "</b></p>\n<p class=\"note\">只有游戏保存、没有改动过的成绩记录（.rec "
                   "文件）才能发布。</p>\n<p><a href=\"sslist.htm\">查看排行榜</a></p>\n";
            break;
    }
    return framed(body, "../");
}

std::string Pages::notice(const std::string& title, const std::string& text,
                          const std::string& up) const {
    return framed("<p class=\"h1\">" + htmlEscape(title) + "</p>\n<p>" + htmlEscape(text) +
                      "</p>\n<p><a href=\"ssindex.htm\">回到珠台之家</a></p>\n",
                  up);
}

}  // namespace qob::site
