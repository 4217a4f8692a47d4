// A prompter for tests: records every message and answers from a script.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/prompter.h"

namespace kavrel::test {

class ScriptedPrompter final : public Prompter {
public:
    struct Shown {
        std::string text;
        unsigned style;
    };
    ScriptedPrompter() { SetPrompter(this); }
    ~ScriptedPrompter() override { SetPrompter(nullptr); }

    // Answers given in turn; once they run out, OK / Yes.
    void Answer(int answer) { answers_.push_back(answer); }

    int Message(const std::string& text, unsigned style) override
    {
        shown.push_back({text, style});
        if (!answers_.empty()) {
            int a = answers_.front();
            answers_.pop_front();
            return a;
        }
        unsigned buttons = style & kMessageButtonsMask;
        return buttons == MB_YESNO || buttons == MB_YESNOCANCEL ? IDYES : IDOK;
    }

    std::vector<Shown> shown;

private:
    std::deque<int> answers_;
};

}  // namespace kavrel::test
