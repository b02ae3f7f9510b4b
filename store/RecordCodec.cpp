#include "RecordCodec.h"

#include <cmath>

#include "Md5Digest.h"
#include "TextForms.h"

namespace qob {

namespace {

// A record's date-time field: the written form of a moment, or "0" for a game
// that has never been saved.
std::optional<DateTime> parseRecordDate(std::string_view text) {
    if (text == "0") return DateTime{};
    return DateTime::parse(text);
}

// A play cell: a tile digit, followed by the round number while the tile is new.
// An empty cell would match the empty frame and lead the group search off the
// board.
bool isTileCell(std::string_view text) {
    if (text.empty() || text[0] < '1' || text[0] > '7') return false;
    for (char c : text.substr(1))
        if (c < '0' || c > '9') return false;
    return true;
}

// The counters of a record: how many rounds, tiles, levels, ring uses and groups
// of one size. A game played by the rules starts them at 0 and adds at most 49 a
// move, so a billion (thirty years of a move a second) is far out of its reach and
// leaves room for every addition the rules make without overflow.
constexpr std::int32_t kCounterLimit = 1'000'000'000;

// The clock and the level bar hold a hundred at most. Written back with 15 digits, a
// number within a few units of the 16th digit of the largest double rounds past it and
// could not be read again.
constexpr double kDoubleLimit = 1e308;

bool isCounter(std::int32_t value) {
    return value >= 0 && value <= kCounterLimit;
}

void appendFields(std::string& out, const RecordPieces& pieces, int first, int last) {
    for (int k = first; k <= last; ++k) {
        out += '|';
        out += pieces[k];
    }
}

std::string joined(const std::string& a, const std::string& b, const std::string& c,
                   const std::string& d) {
    std::string out;
    out.reserve(a.size() + b.size() + c.size() + d.size());
    out += a;
    out += b;
    out += c;
    out += d;
    return out;
}

bool sealMatches(const RecordPieces& pieces, std::string_view kind, const RecordSeal& seal) {
    return pieces[1] == kind && pieces[2] == seal.digest1 && pieces[3] == seal.digest2 &&
           pieces[4] == seal.digest3 && pieces[5] == seal.digest4;
}

void keepSeal(GameState& s, RecordSeal&& seal) {
    s.digestInput1 = std::move(seal.input1);
    s.digestInput2 = std::move(seal.input2);
    s.digestInput3 = std::move(seal.input3);
    s.digestInput4 = std::move(seal.input4);
    s.recordDigest1 = std::move(seal.digest1);
    s.recordDigest2 = std::move(seal.digest2);
    s.recordDigest3 = std::move(seal.digest3);
    s.recordDigest4 = std::move(seal.digest4);
}

void writeRecord(GameState& s, GameWindow& window, const std::string& kind) {
    auto& f = s.recordFields;
    f.fill("0");
    f[6] = kRecordVersion;
    f[7] = kRecordDate;
    f[8] = s.gameID;
    f[9] = s.spareValue;
    f[10] = s.startTime.toText();
    s.saveTime = window.now();
    f[11] = s.saveTime.toText();
    f[12] = std::to_string(s.totalScore);
    f[13] = std::to_string(s.moveScore);
    f[14] = std::to_string(s.bonusScore);
    f[15] = s.gameMode;
    f[16] = s.gameState;
    f[17] = std::to_string(s.levelNo);
    f[18] = std::to_string(s.roundNo);
    f[19] = std::to_string(s.tilesCleared);
    f[20] = formatDouble(s.clockValue);
    f[21] = formatDouble(s.levelProgress);
    f[22] = std::to_string(s.ringMoves);
    for (int n = 1; n <= 49; ++n)
        f[30 + n] = std::to_string(s.sizeTally[n]);
    for (int i = 1; i <= 49; ++i)
        f[80 + i] = s.board[boardFieldX(i)][boardFieldY(i)];

    RecordPieces pieces;
    for (int k = 0; k < kRecordFieldCount; ++k)
        pieces[k] = f[k];
    RecordSeal seal = sealRecord(kind, pieces);

    std::string& text = s.recordText;
    text.clear();
    text.reserve(4 + kind.size() + 4 * 33 + seal.input1.size() + seal.input2.size() +
                 seal.input3.size() + seal.input4.size());
    text += "QOB|";
    text += kind;
    for (const std::string* digest : {&seal.digest1, &seal.digest2, &seal.digest3, &seal.digest4}) {
        text += '|';
        text += *digest;
    }
    text += seal.input1;
    text += seal.input2;
    text += seal.input3;
    text += seal.input4;
    keepSeal(s, std::move(seal));
}

void readRecord(GameState& s, GameWindow& window) {
    RecordPieces pieces;
    // Pieces after field 200 are never looked at, so they are not kept either.
    const int count = splitRecord(s.recordText, pieces);
    const bool full = count == kRecordFieldCount;
    s.recordParts.assign(pieces.begin(), pieces.begin() + count);

    bool sound = false;
    RecordParse parse;
    if (full) {
        RecordSeal seal = sealRecord(kKindSave, pieces);
        sound = sealMatches(pieces, kKindSave, seal);
        keepSeal(s, std::move(seal));
        if (sound) parse = parseRecord(pieces);
    }
    // A refused record changes nothing: every field is parsed before any is kept.
    if (!sound || !parse.values) {
        window.messageBox(kRecordRefusal, MsgButtons::Ok, MsgIcon::None);
        window.showBoard();
        return;
    }

    RecordValues& v = *parse.values;
    s.gameID = std::move(v.gameID);
    s.spareValue = std::move(v.spareValue);
    s.startTime = v.startTime;
    s.saveTime = v.saveTime;
    s.totalScore = v.totalScore;
    s.moveScore = v.moveScore;
    s.bonusScore = v.bonusScore;
    s.gameMode = std::move(v.gameMode);
    s.gameState = std::move(v.gameState);
    s.levelNo = v.levelNo;
    s.roundNo = v.roundNo;
    s.tilesCleared = v.tilesCleared;
    s.clockValue = v.clockValue;
    s.levelProgress = v.levelProgress;
    s.ringMoves = v.ringMoves;
    for (int n = 1; n <= 49; ++n)
        s.sizeTally[n] = v.sizeTally[n];
    for (int i = 1; i <= 49; ++i)
        s.board[boardFieldX(i)][boardFieldY(i)] = std::move(v.boardCells[i]);

    // The game goes on from the file, which its log does not describe.
    s.gameLog.drop();

    if (s.gameMode == kModeGame) window.setTimer1Enabled(false);
    window.showBoard();
}

}  // namespace

void DoOnGame(GameState& state, GameWindow& window, const std::string& DoType) {
    if (DoType == "SaveString")
        writeRecord(state, window, kKindSave);
    else if (DoType == "RecString")
        writeRecord(state, window, kKindRec);
    else if (DoType == "ReadString")
        readRecord(state, window);
}

int splitRecord(std::string_view text, RecordPieces& pieces) {
    int n = 0;
    std::size_t start = 0;
    while (n < kRecordFieldCount) {
        const std::size_t bar = text.find('|', start);
        if (bar == std::string_view::npos) {
            pieces[n++] = text.substr(start);
            break;
        }
        pieces[n++] = text.substr(start, bar - start);
        start = bar + 1;
    }
    for (int k = n; k < kRecordFieldCount; ++k)
        pieces[k] = {};
    return n;
}

RecordSeal sealRecord(std::string_view kind, const RecordPieces& pieces) {
    RecordSeal seal;
    appendFields(seal.input1, pieces, 6, 11);
    appendFields(seal.input2, pieces, 12, 16);
    appendFields(seal.input3, pieces, 17, 80);
    appendFields(seal.input4, pieces, 81, 200);

    std::string first = "|";
    first += kind;
    first += seal.input1;
    seal.digest1 = md5Digest(first);
    seal.digest2 = md5Digest(joined(seal.input2, seal.input1, seal.input3, seal.input4));
    seal.digest3 = md5Digest(joined(seal.input3, seal.input1, seal.input4, seal.input2));
    seal.digest4 = md5Digest(joined(seal.input4, seal.input1, seal.input2, seal.input3));
    return seal;
}

RecordParse parseRecord(const RecordPieces& p) {
    RecordParse result;
    RecordValues v;
    int field = 0;
    // Each step parses one field; the first that fails names the field.
    auto int32At = [&](int k, std::int32_t& out) {
        field = k;
        const auto n = parseInt32(p[k]);
        if (n) out = *n;
        return n.has_value();
    };
    auto counterAt = [&](int k, std::int32_t& out) { return int32At(k, out) && isCounter(out); };
    auto doubleAt = [&](int k, double& out) {
        field = k;
        const auto d = parseDouble(p[k]);
        if (d) out = *d;
        return d.has_value() && std::abs(*d) <= kDoubleLimit;
    };
    auto dateAt = [&](int k, DateTime& out) {
        field = k;
        const auto t = parseRecordDate(p[k]);
        if (t) out = *t;
        return t.has_value();
    };

    v.kind = p[1];
    v.gameID = p[8];
    v.spareValue = p[9];
    v.gameMode = p[15];
    v.gameState = p[16];
    bool ok = dateAt(10, v.startTime) && dateAt(11, v.saveTime) && int32At(12, v.totalScore) &&
              int32At(13, v.moveScore) && int32At(14, v.bonusScore) && counterAt(17, v.levelNo) &&
              counterAt(18, v.roundNo) && counterAt(19, v.tilesCleared) &&
              doubleAt(20, v.clockValue) && doubleAt(21, v.levelProgress) &&
              counterAt(22, v.ringMoves);
    for (int n = 1; ok && n <= 49; ++n)
        ok = counterAt(30 + n, v.sizeTally[n]);
    for (int i = 1; ok && i <= 49; ++i) {
        field = 80 + i;
        // Field 129 is the frame cell (1, 8), which the game never reads.
        ok = i == 49 || isTileCell(p[80 + i]);
        v.boardCells[i] = p[80 + i];
    }
    if (ok)
        result.values = std::move(v);
    else
        result.badField = field;
    return result;
}

RecordCheck checkRecord(std::string_view text, std::string_view kind) {
    RecordPieces pieces;
    if (splitRecord(text, pieces) < kRecordFieldCount) return RecordCheck::Short;
    if (!sealMatches(pieces, kind, sealRecord(kind, pieces)) || !parseRecord(pieces).values)
        return RecordCheck::Broken;
    return RecordCheck::Sound;
}

RecordExamination examineRecord(std::string_view text) {
    RecordExamination e;
    const int count = splitRecord(text, e.pieces);
    e.kind = e.pieces[1];
    if (count < kRecordFieldCount) return e;
    if (e.kind == kKindSave || e.kind == kKindRec)
        e.sealSound = sealMatches(e.pieces, e.kind, sealRecord(e.kind, e.pieces));
    e.parse = parseRecord(e.pieces);
    e.check = e.sealSound && e.parse.values ? RecordCheck::Sound : RecordCheck::Broken;
    return e;
}

}  // namespace qob
