#include "RecordedGame.h"

#include "RecordFileIo.h"

namespace qob::test {

namespace {

// 保留成绩 answered with the name and the file.
void saveRecord(SampleGame& g, RecordFiles& files, const std::string& path,
                const std::string& name) {
    g.window.inputs.push_back(name);
    g.window.files.push_back(path);
    files.RecFileSave();
}

}  // namespace

RecordedGame recordGame(GameKind kind, const std::filesystem::path& folder,
                        const std::string& name) {
    RecordedGame r;
    const std::string path = (folder / "game.rec").string();
    r.played = playGameOf(kind, [&](SampleGame& g) {
        g.window.folder = folder.string();
        r.files = std::make_unique<RecordFiles>(g.game.state, g.window, "http://qob.test");
        RecordFiles& files = *r.files;
        g.player.onRecord = [&g, &files, path, name] { saveRecord(g, files, path, name); };
    });
    if (!r.played) return r;
    if (!r.played->player.record()) saveRecord(*r.played, *r.files, path, name);
    r.text = readRecordFile(path).text;
    return r;
}

}  // namespace qob::test
