#include "model/progress.h"

#include <utility>

#include "platform/sjis_literal.h"

namespace {
std::function<void(const std::string&)>& ProgressFn() {
    static std::function<void(const std::string&)> fn;
    return fn;
}
std::function<void(const std::string&)>& MessageFn() {
    static std::function<void(const std::string&)> fn;
    return fn;
}
std::function<void(bool)>& StatusWindowFn() {
    static std::function<void(bool)> fn;
    return fn;
}
std::string& CurrentText() {
    static std::string text;
    return text;
}
}  // namespace

void SetEngineProgress(std::function<void(const std::string&)> fn) { ProgressFn() = std::move(fn); }

void EngineProgress(const std::string& text) {
    CurrentText() = text;
    if (ProgressFn()) ProgressFn()(CurrentText());
}

const std::string& EngineProgressText() { return CurrentText(); }

bool HasEngineProgress() { return static_cast<bool>(ProgressFn()); }

std::function<void(const std::string&)> GetEngineProgress() { return ProgressFn(); }

void SetEngineStatusWindow(std::function<void(bool visible)> fn) {
    StatusWindowFn() = std::move(fn);
}

void ShowEngineStatusWindow(bool visible) {
    if (StatusWindowFn()) StatusWindowFn()(visible);
}

void SetEngineMessageSink(std::function<void(const std::string&)> fn) {
    MessageFn() = std::move(fn);
}

void EngineMessage(const std::string& text) {
    if (MessageFn()) MessageFn()(text);
}

std::string OutOfMemoryMessage(const std::string& task) {
    return task.empty() ? "メモリーが足りません."_sj : "メモリーが足りません.("_sj + task + ")";
}
