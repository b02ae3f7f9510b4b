// The site's small parts: request targets and HTML text, the command line, the log's view
// of a target, the moments it compares.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "HttpServer.h"
#include "SiteOptions.h"
#include "SiteTime.h"
#include "WebText.h"

namespace qob::site {
namespace {

TEST(WebText, PercentDecodingTakesOnlyWellFormedEscapes) {
    struct Case {
        std::string in;
        std::optional<std::string> out;
    };
    const Case cases[] = {
        {"QOB%7Crec%7C", "QOB|rec|"},  {"a+b", "a+b"},  // no form encoding: "+" is itself
        {"%e4%B8%AD", "\xE4\xB8\xAD"}, {"nul%00inside", std::string("nul\0inside", 10)},
        {"%", std::nullopt},           {"ab%4", std::nullopt},
        {"%G0", std::nullopt},         {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(percentDecode(c.in), c.out) << c.in;
}

TEST(WebText, QueryValuesAreFoundByTheirWholeKey) {
    const std::string_view query = "act=viewform&reccodex=1&reccode=QOB%7C&mode";
    EXPECT_EQ(queryValue(query, "act"), "viewform");
    EXPECT_EQ(queryValue(query, "reccode"), "QOB%7C");
    EXPECT_EQ(queryValue(query, "mode"), "");
    EXPECT_EQ(queryValue(query, "rec"), std::nullopt);
    const Target t = splitTarget("/qob/list/?act=viewform&x=?");
    EXPECT_EQ(t.path, "/qob/list/");
    EXPECT_EQ(t.query, "act=viewform&x=?");
}

TEST(WebText, HtmlEscapingLeavesNoMarkup) {
    EXPECT_EQ(htmlEscape("<a href=\"x\" title='y'>&amp;</a> 小明"),
              "&lt;a href=&quot;x&quot; title=&#39;y&#39;&gt;&amp;amp;&lt;/a&gt; 小明");
}

TEST(HttpServerLog, ShowsTheStartOfALongTargetAndNoControlCharacters) {
    EXPECT_EQ(HttpServer::shortTarget("/qob/ping"), "/qob/ping");
    EXPECT_EQ(HttpServer::shortTarget("/a\r\nforged line"), "/a??forged line");
    const std::string longTarget = "/qob/list/?reccode=" + std::string(200, 'x');
    EXPECT_EQ(HttpServer::shortTarget(longTarget), longTarget.substr(0, 80) + "...(219 bytes)");
}

TEST(SiteOptions, ReadsTheCommandLine) {
    ParsedOptions p = parseSiteOptions({});
    ASSERT_TRUE(p.options);
    EXPECT_EQ(p.options->host, "127.0.0.1");
    EXPECT_EQ(p.options->port, 8600);
    EXPECT_EQ(p.options->database, "sqlite:qob-site.db");

    p = parseSiteOptions({"--listen", "[::1]:0", "--db", "postgresql://u@h/d", "--pages", "/p",
                          "--publications-per-minute", "0", "--trust-proxy", "--clock",
                          "2026-3-4 12:00:00"});
    ASSERT_TRUE(p.options) << p.error;
    EXPECT_EQ(p.options->host, "::1");
    EXPECT_EQ(p.options->port, 0);
    EXPECT_EQ(p.options->database, "postgresql://u@h/d");
    EXPECT_EQ(p.options->pages, "/p");
    EXPECT_EQ(p.options->publicationsPerMinute, 0);
    EXPECT_TRUE(p.options->trustProxy);
    EXPECT_EQ(p.options->clock, (DateTime{2026, 3, 4, 12, 0, 0}));

    EXPECT_FALSE(parseSiteOptions({"--help"}).options);
    EXPECT_EQ(parseSiteOptions({"--help"}).error, "");
    const std::vector<std::vector<std::string>> wrong = {
        {"--listen", "127.0.0.1"}, {"--listen", "127.0.0.1:70000"},
        {"--threads", "0"},        {"--publications-per-minute", "-1"},
        {"--clock", "yesterday"},  {"--db"},
        {"--colour", "x"}};
    for (const auto& args : wrong) {
        p = parseSiteOptions(args);
        EXPECT_FALSE(p.options) << args[0];
        EXPECT_NE(p.error, "") << args[0];
    }
    EXPECT_NE(siteUsage().find("--listen ADDRESS:PORT"), std::string::npos);
}

TEST(SiteTime, WeeksStartOnMondayAndMomentsCountFrom1970) {
    EXPECT_EQ(startOfWeek(DateTime{2026, 3, 4, 12, 0, 0}), (DateTime{2026, 3, 2, 0, 0, 0}));
    EXPECT_EQ(startOfWeek(DateTime{2026, 3, 1, 23, 0, 0}), (DateTime{2026, 2, 23, 0, 0, 0}));
    EXPECT_EQ(startOfWeek(DateTime{2026, 1, 1, 0, 0, 0}), (DateTime{2025, 12, 29, 0, 0, 0}));
    EXPECT_EQ(secondsOf(DateTime{1970, 1, 2, 0, 0, 1}), 86401);
    EXPECT_EQ(
        utcDateTime(TimePoint{std::chrono::seconds{secondsOf(DateTime{2024, 2, 29, 23, 59, 59})}}),
        (DateTime{2024, 2, 29, 23, 59, 59}));
    EXPECT_EQ(sortableText(DateTime{2026, 3, 4, 9, 5, 7}), "2026-03-04 09:05:07");
}

}  // namespace
}  // namespace qob::site
