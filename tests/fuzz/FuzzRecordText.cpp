// Any file as the game reads it: the reader never fails in a way of its own, its verdicts
// agree with each other, a text of 201 fields resealed verifies, and a progress record the
// game takes in is written out again as the same record for ever after.
#include <cstddef>
#include <cstdint>
#include <string>

#include "CodePage936.h"
#include "FakeWindow.h"
#include "FuzzCheck.h"
#include "RecordCodec.h"
#include "RecordFileIo.h"

namespace {

using namespace qob;
using fuzz::require;

std::string resealed(const RecordPieces& pieces, std::string_view kind) {
    const RecordSeal seal = sealRecord(kind, pieces);
    return "QOB|" + std::string(kind) + "|" + seal.digest1 + "|" + seal.digest2 + "|" +
           seal.digest3 + "|" + seal.digest4 + seal.input1 + seal.input2 + seal.input3 +
           seal.input4;
}

void checkText(const std::string& text) {
    RecordPieces pieces;
    const int count = splitRecord(text, pieces);
    require(count >= 1 && count <= kRecordFieldCount, "a text splits into 1 to 201 fields");
    std::string joined(pieces[0]);
    for (int k = 1; k < count; ++k)
        joined += "|" + std::string(pieces[k]);
    require(text.compare(0, joined.size(), joined) == 0 &&
                (count == kRecordFieldCount || joined.size() == text.size()),
            "the fields are the text's pieces between bars, in order");

    const RecordExamination e = examineRecord(text);
    for (const char* kind : {kKindSave, kKindRec})
        require((checkRecord(text, kind) == RecordCheck::Sound) ==
                    (e.check == RecordCheck::Sound && e.kind == kind),
                "the check and the examination agree");
    if (count < kRecordFieldCount) {
        require(e.check == RecordCheck::Short, "fewer than 201 fields is short");
        return;
    }

    const bool parses = parseRecord(pieces).values.has_value();
    for (const char* kind : {kKindSave, kKindRec}) {
        const std::string again = resealed(pieces, kind);
        const RecordExamination r = examineRecord(again);
        require(r.sealSound, "a resealed record verifies");
        require(r.check == (parses ? RecordCheck::Sound : RecordCheck::Broken),
                "a resealed record is as sound as its fields");
    }

    if (checkRecord(text, kKindSave) != RecordCheck::Sound) return;
    GameState game;
    test::FakeWindow window;
    game.recordText = text;
    DoOnGame(game, window, "ReadString");
    require(window.count("messageBox") == 0, "a sound progress record is taken in");
    window.clock = game.saveTime;
    DoOnGame(game, window, "SaveString");
    const std::string written = game.recordText;
    require(checkRecord(written, kKindSave) == RecordCheck::Sound,
            "the game writes what it took in as a sound record");
    GameState again;
    again.recordText = written;
    DoOnGame(again, window, "ReadString");
    DoOnGame(again, window, "SaveString");
    require(again.recordText == written, "a record that decodes re-encodes to the same bytes");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kRecordFileLimit) return 0;  // more than the reader ever takes in
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    checkText(fromCodePage936(bytes));  // the text of a file
    checkText(bytes);                   // and bytes that need not be UTF-8 at all
    return 0;
}
