// A scripted stand-in for the toolkit: answers come from queues set up by the
// test, and every message box, input box, close and viewer start is recorded.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/u_main.h"

namespace u_main::test {

struct InputCall {
    std::string Caption, Prompt, Default;
    friend bool operator==(const InputCall&, const InputCall&) = default;
};

struct ViewerCall {
    std::string ViewerName, FileName;
    friend bool operator==(const ViewerCall&, const ViewerCall&) = default;
};

class FakeToolkit : public TToolkit {
public:
    // Input box answers in order; nothing stands for Cancel.
    std::deque<std::optional<std::string>> Answers;
    // Open dialog results in order; nothing stands for Cancel.
    std::deque<std::optional<std::string>> Chosen;

    std::vector<std::string> Messages;
    std::vector<InputCall> Inputs;
    std::vector<ViewerCall> Viewers;
    std::vector<std::string> Browsers;
    // Whether viewers and browsers start.
    bool Starts = true;
    int Closes = 0;

    void ShowMessage(const std::string& Text) override { Messages.push_back(Text); }

    std::string InputBox(const std::string& Caption, const std::string& Prompt,
                         const std::string& Default) override {
        Inputs.push_back({Caption, Prompt, Default});
        std::optional<std::string> answer = Next(Answers);
        return answer ? *answer : Default;
    }

    std::optional<std::string> OpenDialog() override { return Next(Chosen); }

    void Close() override { ++Closes; }

    bool StartViewer(const std::string& ViewerName, const std::string& FileName) override {
        Viewers.push_back({ViewerName, FileName});
        return Starts;
    }

    bool StartBrowser(const std::string& FileName) override {
        Browsers.push_back(FileName);
        return Starts;
    }

private:
    static std::optional<std::string> Next(std::deque<std::optional<std::string>>& queue) {
        if (queue.empty()) return std::nullopt;
        std::optional<std::string> front = queue.front();
        queue.pop_front();
        return front;
    }
};

}  // namespace u_main::test
