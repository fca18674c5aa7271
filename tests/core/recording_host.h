#pragma once
// A RunHost for tests: records every echo line, label and progress step, and answers the questions
// from a script.

#include "base/echo_color.h"
#include "base/run_host.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace tarvela::test {

struct EchoLine {
    std::string text;
    std::uint32_t color = 0;
    friend bool operator==(const EchoLine&, const EchoLine&) = default;
};

// Expected echo lines: a message's prefix followed by a path.
inline EchoLine red(std::string_view prefix, std::string_view path) {
    return {std::string(prefix) + std::string(path), color::kRed};
}
inline EchoLine green(std::string_view prefix, std::string_view path) {
    return {std::string(prefix) + std::string(path), color::kGreen};
}
inline EchoLine notice(std::string_view prefix, std::string_view path) {
    return {std::string(prefix) + std::string(path), color::kOrange};
}

struct ProgressStep {
    std::int64_t position = 0;
    std::int64_t maximum = 0;
    friend bool operator==(const ProgressStep&, const ProgressStep&) = default;
};

class RecordingHost : public QuietRunHost {
public:
    void echo(std::string_view text, std::uint32_t color) override {
        lines.push_back({std::string(text), color});
        if (onEcho) onEcho(lines.back());
        step();
    }
    bool stopRequested() const override {
        step();
        return stop;
    }
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
    bool askMassRemoval(std::string_view folder, std::int64_t count, std::int64_t listed) override {
        massRemovalQuestions.push_back(std::string(folder) + " " + std::to_string(count) + "/" + std::to_string(listed));
        return allowMassRemoval;
    }
    void setFolderProgress(std::int64_t position, std::int64_t maximum) override {
        folderProgress.push_back({position, maximum});
        step();
    }
    void setFileProgress(std::int64_t position, std::int64_t maximum) override {
        fileProgress.push_back({position, maximum});
        if (onFileProgress) onFileProgress(position);
        step();
    }
    void setFolderLabel(std::string_view path) override {
        folderLabels.emplace_back(path);
        step();
    }
    void setFileLabel(std::string_view path) override {
        fileLabels.emplace_back(path);
        step();
    }
    void setTaskProgress(std::int64_t position) override {
        taskProgress.push_back(position);
        step();
    }

    std::vector<EchoLine> lines;
    std::vector<std::string> fullCopyQuestions;
    std::vector<std::string> deleteQuestions;
    std::vector<std::string> errors;
    std::deque<FullCopyAnswer> fullCopyAnswers;
    std::deque<DeleteAnswer> deleteAnswers;
    bool stop = false;
    bool allowMassRemoval = false;
    std::vector<std::string> massRemovalQuestions;
    std::vector<ProgressStep> folderProgress;
    std::vector<ProgressStep> fileProgress;
    std::vector<std::string> folderLabels;
    std::vector<std::string> fileLabels;
    std::vector<std::int64_t> taskProgress;
    // Runs after each echo line is recorded (to change the disk at a chosen point of a run).
    std::function<void(const EchoLine&)> onEcho;
    // Runs inside setFileProgress, as a stop button pressed while a file is copied would.
    std::function<void(std::int64_t)> onFileProgress;
    // Runs at every echo line, progress step, label and look at the stop flag: the points where a
    // test may stop or end the half (they come in the same order on every run of the same history).
    std::function<void()> onStep;

protected:
    void processEvents() override { ++eventRuns; }
    void step() const {
        if (onStep) onStep();
    }

public:
    int eventRuns = 0;
};

} // namespace tarvela::test
