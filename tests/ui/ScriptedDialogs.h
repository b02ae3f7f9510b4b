#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Dialogs.h"

namespace qob::test {

// Answers the window's boxes from queues (OK, a cancelled input box and a
// cancelled dialog when a queue is empty) and logs each one.
class ScriptedDialogs : public Dialogs {
  public:
    MsgAnswer messageBox(QWidget*, const std::string& text, MsgButtons buttons, MsgIcon icon,
                         const std::string& title) override {
        static const char* const kIcons[] = {"none", "critical", "information"};
        log.push_back("messageBox " + text + " [" + title + "] " +
                      (buttons == MsgButtons::Ok ? "ok" : "okcancel") + " " +
                      kIcons[static_cast<int>(icon)]);
        if (duringBox) duringBox(text);
        if (buttons == MsgButtons::Ok || answers.empty()) return MsgAnswer::Ok;
        const MsgAnswer a = answers.front();
        answers.pop_front();
        return a;
    }

    std::optional<std::string> inputBox(QWidget*, const std::string& prompt, const std::string&,
                                        const std::string&) override {
        log.push_back("inputBox " + prompt);
        if (inputs.empty()) return std::nullopt;
        auto a = inputs.front();
        inputs.pop_front();
        return a;
    }

    bool showOpen(QWidget*, CommonDialog& dialog, const QString&) override {
        log.push_back("showOpen " + dialog.fileName);
        return answer(dialog);
    }

    bool showSave(QWidget*, CommonDialog& dialog, const QString&) override {
        log.push_back("showSave " + dialog.fileName);
        return answer(dialog);
    }

    std::vector<std::string> boxes() const {
        std::vector<std::string> out;
        for (const auto& line : log)
            if (line.rfind("messageBox", 0) == 0) out.push_back(line);
        return out;
    }

    std::vector<std::string> log;
    std::deque<MsgAnswer> answers;
    std::deque<std::optional<std::string>> inputs;
    std::deque<std::optional<std::string>> files;
    std::function<void(const std::string&)> duringBox;

  private:
    bool answer(CommonDialog& dialog) {
        if (files.empty()) return false;
        const auto file = files.front();
        files.pop_front();
        if (!file) return false;
        dialog.fileName = *file;
        return true;
    }
};

}  // namespace qob::test
