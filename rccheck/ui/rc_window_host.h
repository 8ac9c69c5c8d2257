// What the RC check windows ask of the window that opens them, the main
// window. They work on the data file the main window has open, save it with
// the main window's save command, keep the main window's member grid on the
// member they show, and show their change history and help text in the
// program's text window. The main window hands itself over each time it
// opens the RC check window (ShowRcWindow); the windows keep no other link
// to it.
#pragma once
#include <string>

class TForm;

class RcWindowHost {
  public:
    // Forgets the host in the RC check window, which outlives it.
    virtual ~RcWindowHost();

    // The window the RC windows open centred on.
    virtual TForm& HostForm() = 0;
    // The data file being edited (CP932; the name of a new model when none
    // has been saved yet).
    virtual const std::string& DataFileName() const = 0;
    // The model or the RC data changed and are not saved yet.
    virtual void MarkModified() = 0;
    // The main window's save command; true when the file was saved.
    virtual bool Save1Click() = 0;
    // Moves the member grid to the member numbered memberNo.
    virtual void SelectMemberRow(int memberNo) = 0;
    // Shows a text (a change history, the help text) in the text window.
    virtual void ShowText(const std::string& text) = 0;
};
