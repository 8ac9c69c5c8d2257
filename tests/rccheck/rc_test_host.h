// The main window as the RC check windows see it, for the tests of those
// windows alone: a plain form to open centred on, a file name, and a
// record of what the windows asked for.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/qt/controls.h"
#include "rccheck/ui/rc_window_host.h"

class RecordingRcHost : public RcWindowHost {
  public:
    TForm& HostForm() override {
        // Made on first use, after the application object.
        if (!form_) form_ = std::make_unique<TForm>();
        return *form_;
    }
    const std::string& DataFileName() const override { return fileName; }
    void MarkModified() override { modified = true; }
    bool Save1Click() override {
        ++saves;
        return true;
    }
    void SelectMemberRow(int memberNo) override { selectedMembers.push_back(memberNo); }
    void ShowText(const std::string& text) override { texts.push_back(text); }

    std::string fileName = "/tmp/rc/frame.$O1";
    bool modified = false;
    int saves = 0;
    std::vector<int> selectedMembers;
    std::vector<std::string> texts;

  private:
    std::unique_ptr<TForm> form_;
};

// One host for a test program, as the program has one main window.
inline RecordingRcHost& TestRcHost() {
    static RecordingRcHost* host = new RecordingRcHost;  // outlives the windows
    return *host;
}
