// A Prompts that shows nothing: it records what it was told and answers the
// questions from a script (Yes when the script has run out).
#pragma once

#include "app/message_box.h"

#include <deque>
#include <string>
#include <vector>

namespace orbelune::test {

struct RecordedBox {
    BoxKind kind;
    std::wstring text;
};

class RecordingPrompts final : public Prompts {
public:
    void Inform(std::wstring_view text) override { boxes.push_back({BoxKind::Information, std::wstring(text)}); }
    BoxResult Confirm(std::wstring_view text) override {
        boxes.push_back({BoxKind::Confirmation, std::wstring(text)});
        if (answers.empty()) return BoxResult::Yes;
        const BoxResult answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void Error(std::wstring_view text) override { boxes.push_back({BoxKind::Error, std::wstring(text)}); }

    std::vector<RecordedBox> boxes;
    std::deque<BoxResult> answers;
};

}  // namespace orbelune::test
