// Progress texts and messages of the engine.
//
// The engine never includes a GUI toolkit: it reports through these two
// small callbacks. The application points the progress callback at the
// status panel and the message sink at a message box; the batch run points
// both at stderr. Without a callback the texts are only kept.
#pragma once

#include <functional>
#include <new>
#include <string>

// Progress: the callback receives the whole current status text (CP932).
void SetEngineProgress(std::function<void(const std::string&)> fn);
// Replaces the current status text and hands it to the callback.
void EngineProgress(const std::string& text);
// The current status text (as last set by EngineProgress).
const std::string& EngineProgressText();
// True when a progress callback is installed (the status panel exists).
bool HasEngineProgress();
// The installed callback (empty when none), for whoever wants to add to it.
std::function<void(const std::string&)> GetEngineProgress();

// The status window that shows the progress texts: an external
// calculation shows it at its start and closes it at its end. Without a
// callback (the batch run) nothing happens.
void SetEngineStatusWindow(std::function<void(bool visible)> fn);
void ShowEngineStatusWindow(bool visible);

// Messages for the user (CP932), e.g. an allocation failure of a work area.
void SetEngineMessageSink(std::function<void(const std::string&)> fn);
void EngineMessage(const std::string& text);

// A memory failure that names the work it stopped ("剛性マトリックス",
// CP932), thrown where an allocation failed so that the analysis ends
// there instead of going on with what it could not compute.
class OutOfMemory : public std::bad_alloc {
  public:
    explicit OutOfMemory(std::string task) : task_(std::move(task)) {}
    const char* what() const noexcept override { return "out of memory"; }
    const std::string& Task() const { return task_; }

  private:
    std::string task_;
};

// "メモリーが足りません.(<task>)" (CP932); without a task the bare sentence.
std::string OutOfMemoryMessage(const std::string& task);

// Runs step; a memory failure in it that does not name its work yet
// leaves as OutOfMemory(task).
template <typename Step>
void RunNamedStep(const std::string& task, Step&& step) {
    try {
        step();
    } catch (const OutOfMemory&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw OutOfMemory(task);
    }
}
