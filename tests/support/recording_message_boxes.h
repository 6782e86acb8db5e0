// Message boxes that are only noted, answered from a queue (OK once it is empty).
#pragma once

#include <deque>
#include <ostream>
#include <string>
#include <vector>

#include "platform/message_boxes.h"

namespace stow::test {

struct MessageBoxCall {
    std::string text;
    std::string caption;
    uint32_t flags = 0;
};

inline bool operator==(const MessageBoxCall& a, const MessageBoxCall& b) {
    return a.text == b.text && a.caption == b.caption && a.flags == b.flags;
}
inline void PrintTo(const MessageBoxCall& c, std::ostream* os) {
    *os << c.caption << ": " << c.text << " (" << c.flags << ")";
}

class RecordingMessageBoxes : public MessageBoxes {
public:
    int show(const std::string& text, const std::string& caption, uint32_t flags) override {
        calls.push_back({text, caption, flags});
        if (answers.empty()) return kIdOk;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<int> answers;
    std::vector<MessageBoxCall> calls;
};

}  // namespace stow::test
