#pragma once

#include <memory>

#include "base/PlatformHosts.h"
#include "base/StartMode.h"

class CFenlowDlg;
class QApplication;

// The program's entry: decides the start mode, hands over to a running instance or runs
// the login window and then the main window, one after the other. When InitInstance
// returns the process ends; no window outlives it.
class CFenlowApp
{
public:
    CFenlowApp(int &argc, char **argv);
    ~CFenlowApp();
    CFenlowApp(const CFenlowApp &) = delete;
    CFenlowApp &operator=(const CFenlowApp &) = delete;

    // InitInstance followed by ExitInstance; answers the process exit code.
    int Run();

    // Runs the start-up sequence and answers the framework's continue flag (true only for
    // the uninstall start). The process ends after it either way: every window runs
    // modally inside.
    bool InitInstance();
    int ExitInstance();

private:
    // Creates the GUI application object the first time a window or message is needed;
    // false when no window system can serve it (then the exit code is 1).
    bool StartGui();
    // A termination signal: the program ends as its exit command ends it, from the event
    // loop; no further window opens.
    void EndOnSignal();
    // The X server went away and Qt is about to end the process: the main window's end
    // is done here and the web profile written to disk, as the program's own end would
    // leave them.
    void EndWithoutDisplay();
    // True once a termination signal arrived.
    static bool Ending();
    // The daily update of the "/ycjD" start and the installed copy: true when a new
    // build was swapped in and started, which then carries on instead of this process.
    bool UpdateAtStart();
    // Asks or hands over when another instance runs; answers true when this start ends.
    bool HandOverToRunningInstance();
    // The uninstall start: asks whether to remove the launcher and, after Yes, removes the
    // update time store, the shortcuts and (by a script that runs after this process) the
    // executable, then says so.
    void Uninstall();

    int &m_argc;
    char **m_argv{};
    StartMode m_mode{StartMode::Plain};
    PlatformHosts m_hosts;
    std::unique_ptr<QApplication> m_gui;
    CFenlowDlg *m_main{};
    int m_exitCode{};
};
