// Progress texts and messages of the engine.
//
// The engine never includes a GUI toolkit: it reports through these two
// small callbacks. The application points the progress callback at the
// status panel and the message sink at a message box; the batch run points
// both at stderr. Without a callback the texts are only kept.
#pragma once

#include <functional>
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
