#pragma once
// A RunHost for tests: records every echo line and answers the questions from a script.

#include "run_host.h"

#include <deque>
#include <string>
#include <vector>

namespace tarvela::test {

struct EchoLine {
    std::string text;
    std::uint32_t color = 0;
    friend bool operator==(const EchoLine&, const EchoLine&) = default;
};

class RecordingHost : public QuietRunHost {
public:
    void echo(std::string_view text, std::uint32_t color) override { lines.push_back({std::string(text), color}); }
    bool stopRequested() const override { return stop; }
    FullCopyAnswer askFullCopy(std::string_view folder) override {
        fullCopyQuestions.emplace_back(folder);
        if (fullCopyAnswers.empty()) return {};
        const FullCopyAnswer a = fullCopyAnswers.front();
        fullCopyAnswers.pop_front();
        return a;
    }
    DeleteAnswer askDelete(std::string_view path) override {
        deleteQuestions.emplace_back(path);
        if (deleteAnswers.empty()) return DeleteAnswer::Closed;
        const DeleteAnswer a = deleteAnswers.front();
        deleteAnswers.pop_front();
        return a;
    }
    void showError(std::string_view message) override { errors.emplace_back(message); }

    std::vector<EchoLine> lines;
    std::vector<std::string> fullCopyQuestions;
    std::vector<std::string> deleteQuestions;
    std::vector<std::string> errors;
    std::deque<FullCopyAnswer> fullCopyAnswers;
    std::deque<DeleteAnswer> deleteAnswers;
    bool stop = false;

protected:
    void processEvents() override { ++eventRuns; }

public:
    int eventRuns = 0;
};

} // namespace tarvela::test
