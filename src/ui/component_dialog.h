// The component dialog (template 30): the user picks the components and
// hands the choice to the run. The run keeps the dialog showing while the
// install pass runs, and after an aborted pass lets the user choose again.
#pragma once
#include <windows.h>

// How the install step of a run ended.
enum class InstallOutcome {
    Cancelled,  // the user left the component dialog without installing
    Aborted,    // the install pass was aborted
    Installed,  // the pass ran to its end; no restart
    Restart,    // the pass ran to its end and the user chose to restart
};

// What the user did with the dialog.
enum class ComponentChoice {
    Install,  // OK: the selection is stored in the component rows
    Cancel,   // Cancel, the close box, or a Cancel while the list was read
};

class ComponentDialog {
public:
    // Makes the dialog over `parent`, which takes no input while it lives.
    explicit ComponentDialog(HWND parent);
    ~ComponentDialog();
    ComponentDialog(const ComponentDialog&) = delete;
    ComponentDialog& operator=(const ComponentDialog&) = delete;

    // Shows the dialog and waits for the user's choice. Until the next wait
    // the dialog takes no second OK.
    ComponentChoice WaitForChoice();
    // The dialog's window (the pass's starting window); null when the
    // template could not be loaded.
    HWND window() const { return window_; }

    // For the dialog procedure.
    void Choose(ComponentChoice choice);

private:
    HWND parent_;
    HWND window_ = nullptr;
    bool chosen_ = false;
    ComponentChoice choice_ = ComponentChoice::Cancel;
};
