// qob-record: looks inside score records (.rec) and progress files (.sav)
// without starting the game, with the same code the game reads them with.
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Md5Digest.h"
#include "RecordCodec.h"
#include "RecordFileIo.h"
#include "TextForms.h"

namespace {

using namespace qob;

constexpr int kExitSound = 0;
constexpr int kExitNotSound = 1;
constexpr int kExitTrouble = 2;

const char* const kUsage =
    "usage: qob-record COMMAND [ARGS]\n"
    "\n"
    "Reads and checks 霁虹珠台 QOB record files: score records (.rec) and progress\n"
    "files (.sav).\n"
    "\n"
    "commands:\n"
    "  verify FILE...        check the seal of each file\n"
    "  show [--force] FILE   print a record's game, board and group counts\n"
    "  digest [TEXT]         print the record digest of a text\n"
    "\n"
    "'qob-record COMMAND --help' describes one command.\n";

const char* const kVerifyHelp =
    "usage: qob-record verify FILE...\n"
    "\n"
    "Checks each record file against the kind it names and prints one line per file:\n"
    "  FILE: sound save    a progress record that the game reads back\n"
    "  FILE: sound rec     a score record as the game writes it\n"
    "  FILE: broken        the seal does not match, or a field does not hold its value\n"
    "  FILE: short         fewer than 201 fields\n"
    "  FILE: too large     more than 1 MiB, which the game does not read\n"
    "\n"
    "exit status: 0 every file is sound, 1 some file is not, 2 a file cannot be read\n"
    "or the arguments are wrong.\n";

const char* const kShowHelp =
    "usage: qob-record show [--force] FILE\n"
    "\n"
    "Prints the record's kind and game variables, one 'name: value' line each, the\n"
    "board as seven rows of tile digits (the top-left cell, which no record holds,\n"
    "as '.'), and the number of moves for each group size that occurred.\n"
    "A record whose seal is broken is refused unless --force is given.\n"
    "\n"
    "exit status: 0 shown, 1 refused, 2 the file cannot be read or the arguments\n"
    "are wrong.\n";

const char* const kDigestHelp =
    "usage: qob-record digest [TEXT]\n"
    "\n"
    "Prints the digest that seals records (32 upper-case hexadecimal digits) of TEXT,\n"
    "taken as UTF-8, or of standard input read whole, line ends included, when TEXT\n"
    "is absent; standard input larger than 1 MiB is refused (exit status 2).\n";

bool isHelp(std::string_view arg) {
    return arg == "--help" || arg == "-h";
}

int usageError(const std::string& message, const char* help) {
    std::cerr << "qob-record: " << message << "\n\n" << help;
    return kExitTrouble;
}

// Control characters (C0, DEL and C1) and bytes that are no UTF-8 shown as \xNN,
// so that a damaged file or a file name cannot play tricks on the terminal.
std::string printable(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    const auto escape = [&](unsigned char c) {
        out += "\\x";
        out += kHex[c >> 4];
        out += kHex[c & 0xF];
    };
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if (c < 0x20 || c == 0x7F)
                escape(c);
            else
                out += text[i];
            ++i;
            continue;
        }
        const std::size_t length = c >= 0xC2 && c <= 0xDF   ? 2
                                   : c >= 0xE0 && c <= 0xEF ? 3
                                   : c >= 0xF0 && c <= 0xF4 ? 4
                                                            : 0;
        bool whole = length > 0 && i + length <= text.size();
        for (std::size_t k = 1; whole && k < length; ++k)
            whole = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        const bool c1 = whole && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0;
        if (!whole || c1) {
            escape(c);
            ++i;
            continue;
        }
        out.append(text.substr(i, length));
        i += length;
    }
    return out;
}

// A file as read; not readable when it could not be read at all, which load()
// has already reported.
struct LoadedFile {
    RecordFileContent content;
    bool readable = false;
};

LoadedFile load(const std::string& path) {
    LoadedFile file{readRecordFile(path), false};
    if (file.content.status == RecordFileStatus::Unreadable)
        std::cerr << "qob-record: " << printable(path) << ": the file cannot be read ("
                  << file.content.error.message() << ")\n";
    else
        file.readable = true;
    return file;
}

int verify(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    bool options = true;
    for (const std::string& arg : args) {
        if (options && isHelp(arg)) {
            std::cout << kVerifyHelp;
            return kExitSound;
        }
        if (options && arg == "--") {
            options = false;
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            return usageError("verify: unknown option " + arg, kVerifyHelp);
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) return usageError("verify: no file given", kVerifyHelp);

    int status = kExitSound;
    for (const std::string& path : files) {
        const LoadedFile file = load(path);
        if (!file.readable) {
            status = kExitTrouble;
            continue;
        }
        std::string verdict;
        if (file.content.status == RecordFileStatus::TooLarge) {
            verdict = "too large";
        } else {
            const RecordExamination e = examineRecord(file.content.text);
            switch (e.check) {
                case RecordCheck::Short:
                    verdict = "short";
                    break;
                case RecordCheck::Broken:
                    verdict = "broken";
                    break;
                case RecordCheck::Sound:
                    verdict = "sound " + e.kind;
                    break;
            }
        }
        std::cout << printable(path) << ": " << verdict << '\n';
        if (verdict.rfind("sound", 0) != 0 && status == kExitSound) status = kExitNotSound;
    }
    return status;
}

// The name: value lines of a record, from its parsed values when every field
// holds one, else from the fields' texts as they stand.
std::vector<std::pair<std::string, std::string>> gameLines(const RecordExamination& e) {
    if (const auto& v = e.parse.values) {
        return {{"gameID", v->gameID},
                {"spareValue", v->spareValue},
                {"startTime", v->startTime.toText()},
                {"saveTime", v->saveTime.toText()},
                {"totalScore", std::to_string(v->totalScore)},
                {"moveScore", std::to_string(v->moveScore)},
                {"bonusScore", std::to_string(v->bonusScore)},
                {"gameMode", v->gameMode},
                {"gameState", v->gameState},
                {"levelNo", std::to_string(v->levelNo)},
                {"roundNo", std::to_string(v->roundNo)},
                {"tilesCleared", std::to_string(v->tilesCleared)},
                {"clockValue", formatDouble(v->clockValue)},
                {"levelProgress", formatDouble(v->levelProgress)},
                {"ringMoves", std::to_string(v->ringMoves)}};
    }
    static const char* const kNames[] = {
        "gameID",    "spareValue",   "startTime",  "saveTime",      "totalScore",
        "moveScore", "bonusScore",   "gameMode",   "gameState",     "levelNo",
        "roundNo",   "tilesCleared", "clockValue", "levelProgress", "ringMoves"};
    std::vector<std::pair<std::string, std::string>> lines;
    for (int k = 0; k < 15; ++k)
        lines.emplace_back(kNames[k], std::string(e.pieces[8 + k]));
    return lines;
}

std::string boardCharacter(std::string_view cell) {
    const std::string first = firstCharacter(cell);
    if (first.empty() || static_cast<unsigned char>(first[0]) < 0x20 || first[0] == 0x7F)
        return "?";
    return first;
}

int show(const std::vector<std::string>& args) {
    bool force = false;
    bool options = true;
    std::vector<std::string> files;
    for (const std::string& arg : args) {
        if (options && isHelp(arg)) {
            std::cout << kShowHelp;
            return kExitSound;
        }
        if (options && arg == "--force") {
            force = true;
        } else if (options && arg == "--") {
            options = false;
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            return usageError("show: unknown option " + arg, kShowHelp);
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 1) return usageError("show: give exactly one file", kShowHelp);
    const std::string& path = files.front();
    const std::string shown = printable(path);

    const LoadedFile file = load(path);
    if (!file.readable) return kExitTrouble;
    if (file.content.status == RecordFileStatus::TooLarge) {
        std::cerr << "qob-record: " << shown << ": larger than 1 MiB, not a record\n";
        return kExitNotSound;
    }
    const RecordExamination e = examineRecord(file.content.text);
    if (e.check == RecordCheck::Short) {
        std::cerr << "qob-record: " << shown << ": fewer than 201 fields, not a record\n";
        return kExitNotSound;
    }
    if (e.check == RecordCheck::Broken) {
        std::string why = e.sealSound ? "" : "the seal is broken";
        if (!e.parse.values)
            why += (why.empty() ? "field " : ", and field ") + std::to_string(e.parse.badField) +
                   " does not hold its value";
        if (!force) {
            std::cerr << "qob-record: " << shown << ": " << why << "; --force shows it anyway\n";
            return kExitNotSound;
        }
        std::cerr << "qob-record: warning: " << shown << ": " << why << '\n';
    }

    std::ostringstream out;
    out << "kind: " << printable(e.kind) << '\n';
    for (const auto& [name, value] : gameLines(e))
        out << name << ": " << printable(value) << '\n';
    out << "board:\n";
    for (int y = 1; y <= kBoardSize; ++y) {
        for (int x = 1; x <= kBoardSize; ++x) {
            const int i = (y - 1) * kBoardSize + (x - 1);
            if (i == 0)
                out << '.';
            else if (e.parse.values)
                out << boardCharacter(e.parse.values->boardCells[i]);
            else
                out << boardCharacter(e.pieces[80 + i]);
        }
        out << '\n';
    }
    for (int n = 1; n <= 49; ++n) {
        const std::string count = e.parse.values ? std::to_string(e.parse.values->sizeTally[n])
                                                 : std::string(e.pieces[30 + n]);
        if (count != "0") out << "sizeTally[" << n << "]: " << printable(count) << '\n';
    }
    std::cout << out.str();
    return kExitSound;
}

int digest(const std::vector<std::string>& args) {
    std::vector<std::string> texts;
    bool options = true;
    for (const std::string& arg : args) {
        if (options && isHelp(arg)) {
            std::cout << kDigestHelp;
            return kExitSound;
        }
        if (options && arg == "--")
            options = false;
        else
            texts.push_back(arg);
    }
    if (texts.size() > 1) return usageError("digest: give at most one text", kDigestHelp);
    if (texts.size() == 1) {
        std::cout << md5Digest(texts.front()) << '\n';
        return kExitSound;
    }
    const RecordFileContent input = readStandardInput();
    if (input.status == RecordFileStatus::TooLarge) {
        std::cerr << "qob-record: digest: standard input is larger than 1 MiB\n";
        return kExitTrouble;
    }
    if (input.status != RecordFileStatus::Read) {
        std::cerr << "qob-record: digest: standard input cannot be read (" << input.error.message()
                  << ")\n";
        return kExitTrouble;
    }
    std::cout << md5Digest(input.text) << '\n';
    return kExitSound;
}

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    if (argc < 2) return usageError("no command given", kUsage);
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (isHelp(command)) {
        std::cout << kUsage;
        return kExitSound;
    }
    if (command == "verify") return verify(args);
    if (command == "show") return show(args);
    if (command == "digest") return digest(args);
    return usageError("unknown command " + command, kUsage);
}
