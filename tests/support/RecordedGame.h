#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "RecordFiles.h"
#include "SampleGame.h"

namespace qob::test {

// A game of a kind, played, and its score record as the game's own record procedure
// writes it (RecordFiles::RecFileSave: the name box answered with `name`, the save
// dialog with a file in `folder`): offered by the rules at the game's end, or saved
// as 保留成绩 does while it still runs.
struct RecordedGame {
    std::unique_ptr<SampleGame> played;  // nothing when no seed gave the kind
    std::unique_ptr<RecordFiles> files;
    std::string text;  // the record file, read back
};
RecordedGame recordGame(GameKind kind, const std::filesystem::path& folder,
                        const std::string& name = "测试玩家");

}  // namespace qob::test
