// Writes the record files that the qob-record checks run on, into the folder
// given as the only argument. It builds them from the hand-sealed golden
// records, without any of the record code under test.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "GoldenRecords.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

bool write(const std::string& folder, const std::string& name, const std::string& bytes) {
    std::ofstream out(folder + "/" + name, std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out.flush());
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    text.replace(text.find(from), from.size(), to);
    return text;
}

const char* const kGoldenShow =
    "kind: save\n"
    "gameID: 402718\n"
    "spareValue: 0\n"
    "startTime: 2024-3-9 8:05:07\n"
    "saveTime: 2024-3-9 9:15:00\n"
    "totalScore: 12345\n"
    "moveScore: -655\n"
    "bonusScore: 13000\n"
    "gameMode: sport\n"
    "gameState: run\n"
    "levelNo: 2\n"
    "roundNo: 37\n"
    "tilesCleared: 168\n"
    "clockValue: 42\n"
    "levelProgress: 6.66666666666667\n"
    "ringMoves: 3\n"
    "board:\n"
    ".514736\n"
    "7362514\n"
    "5147362\n"
    "3625147\n"
    "1473625\n"
    "6251473\n"
    "4736251\n"
    "sizeTally[3]: 20\n"
    "sizeTally[4]: 9\n"
    "sizeTally[5]: 5\n"
    "sizeTally[6]: 3\n"
    "sizeTally[12]: 1\n"
    "sizeTally[49]: 2\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: write_tool_fixtures FOLDER\n";
        return 2;
    }
    const std::string dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    const std::string save = qob::test::kGoldenSave;
    const std::string rec = qob::test::kGoldenRec;
    const std::string withNul = replaced(save, "|402718|0|", std::string("|402718|0\0|", 11));

    bool ok = write(dir, "sound.sav", save) && write(dir, "sound.rec", rec) &&
              write(dir, "sound.show", kGoldenShow) &&
              write(dir, "broken.sav", replaced(save, "|12345|", "|99999|")) &&
              write(dir, "kind.sav", replaced(rec, "QOB|rec|", "QOB|save|")) &&
              write(dir, "short.sav", save.substr(0, save.rfind('|'))) &&
              write(dir, "nul.sav", withNul) && write(dir, "zeros.sav", std::string(4096, '\0')) &&
              write(dir, "bars.sav", std::string(200000, '|')) &&
              write(dir, "huge.sav", save + "|" + std::string(2 * 1024 * 1024, '0')) &&
              write(dir, "abc.txt", "abc") && write(dir, "mib.txt", std::string(1024 * 1024, 'a'));
#ifndef _WIN32
    // A name with control characters, and a pipe that no one writes to.
    ok = ok && write(dir, "a\tb\rc.sav", save) && write(dir, "c1\xC2\x9B\xFF.sav", save) &&
         write(dir, "a\tb\rc.rec", replaced(rec, "|12345|", "|99999|"));
    std::filesystem::remove(dir + "/pipe.sav", ec);
    ok = ok && mkfifo((dir + "/pipe.sav").c_str(), 0600) == 0;
#endif
    if (!ok) std::cerr << "write_tool_fixtures: cannot write into " << dir << '\n';
    return ok ? 0 : 1;
}
