#pragma once

#include <string>

#include "config/ConfigSettings.h"
#include "platform/Prompter.h"
#include "platform/Shell.h"

namespace vx {

class StatusReporter;

// Opens web addresses and the help page in the web browser: the configured WebBrowser when
// set, otherwise the program the desktop associates with web pages. The association is asked
// about a small probe page that lives only for the duration of the call.
class BrowserLauncher {
public:
    // `tempFolder` is where the probe page is made; empty means the system's temporary folder.
    BrowserLauncher(const ConfigSettings& config, Shell& shell, Prompter& prompter, StatusReporter& status,
                    std::string tempFolder = {});

    // Opens the address; false when no browser was found or it could not be started (the user
    // has been told).
    bool openUrl(const std::string& url);
    // Opens "help/vx3_help.htm" under the program's folder.
    bool OpenHelpPage(const std::string& programFolder);

    static std::string helpFilePath(const std::string& programFolder);

private:
    std::string configuredBrowser() const;

    const ConfigSettings& m_config;
    Shell& m_shell;
    Prompter& m_prompter;
    StatusReporter& m_status;
    std::string m_tempFolder;
};

}  // namespace vx
