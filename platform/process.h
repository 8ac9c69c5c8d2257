// Running another program and waiting for it, and the process's current
// folder.
#pragma once
#include <functional>
#include <string>
#include <vector>

// Splits a parameter text as a command line is split: blanks separate,
// double quotes group (the quotes themselves are dropped).
std::vector<std::string> SplitParameters(const std::string& parameters);

// Starts program (CP932 name) with the parameters (split as above) and
// waits without a time limit for it to end. show has no effect here (a
// program started this way has no window of ours). The first check comes
// after kProgramStartPause ms; all the while the pending-message pump
// (below) runs every few milliseconds, so the windows stay painted. False when
// the program could not be started; exitCode (when given) receives its
// exit status, -1 when it ended by a signal.
bool RunProgramAndWait(const std::string& program, const std::string& parameters, bool show,
                       int* exitCode = nullptr);
// The pause after the start, in which the program gets going.
constexpr int kProgramStartPause = 500;
// What RunProgramAndWait runs between its checks: the window layer's
// processing of pending messages (repaints, not a person's input). Empty:
// nothing (the batch run).
void SetPendingMessagePump(std::function<void()> pump);

// Sets the current folder (CP932 name); false when it does not exist.
bool SetCurrentDir(const std::string& dir);
// The current folder with a final "/" (CP932), "" when unknown.
std::string GetCurrentDir();
