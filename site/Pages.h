#pragma once
// The site's pages, made from the game's own help pages: the home, rules and download
// pages as the game shows them, with a line for the online copy; the ranking and the
// answers to a publication inside the frame of the ranking page.

#include <filesystem>
#include <string>
#include <vector>

#include "ScoreStorage.h"

namespace qob::site {

// Where the site puts its own text into a help page.
inline constexpr const char* kOnlineMark = "<!--qob:online-->";
inline constexpr const char* kBodyStart = "<!--qob:body-->";
inline constexpr const char* kBodyEnd = "<!--/qob:body-->";

enum class Period { All, Today, Week };

// One mode's table on the ranking page.
struct ModeRanking {
    std::string gameMode;
    std::vector<RankedScore> rows;
};

// What the ranking page shows: its filters and a table for each mode shown.
struct RankingView {
    std::string onlyMode;  // empty: every mode
    Period period = Period::All;
    bool onlyVerified = false;  // the records verified by replay alone
    std::vector<ModeRanking> modes;
};

// A publication's answer.
struct Answer {
    enum Kind { Accepted, AlreadyPublished, Refused } kind = Refused;
    std::string reason;  // why refused
    Publication publication;
    std::string playerName;
    std::int32_t totalScore = 0;
    bool verified = false;  // the record's log replayed to it
};

class Pages {
  public:
    // Reads ssindex.htm, ssrule.htm, ssdownload.htm and sslist.htm from the folder;
    // throws std::runtime_error when one is missing or lacks the marks.
    explicit Pages(const std::filesystem::path& folder);

    // A help page by its file name, or nothing.
    const std::string* helpPage(const std::string& name) const;
    std::string ranking(const RankingView& view) const;
    // The answer page, shown at /qob/list/.
    std::string answer(const Answer& answer) const;
    // A page saying that something is not here or not possible; `up` leads from the
    // page's folder back to /qob/ ("", "../", ...).
    std::string notice(const std::string& title, const std::string& text,
                       const std::string& up) const;

    // The mode's name as the game shows it.
    static std::string modeName(const std::string& gameMode);

  private:
    std::string framed(const std::string& body, const std::string& up) const;

    std::vector<std::pair<std::string, std::string>> help_;  // name, page
    std::string frameHead_;                                  // up to the body mark
    std::string frameTail_;                                  // from the end mark
};

}  // namespace qob::site
