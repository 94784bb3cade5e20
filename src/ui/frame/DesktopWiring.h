#pragma once

namespace vx {

class DesktopApp;
struct CfgSaved;

// The hooks through which the session reaches the windows (the call, capture, The Box, VXEditor,
// the URL list), the actions of the screen and terminal windows and of the frame's toolbar, and
// the configuration editor with what its save changes. Unhooks the session when it goes.
class DesktopWiring {
public:
    explicit DesktopWiring(DesktopApp& app);
    ~DesktopWiring();
    DesktopWiring(const DesktopWiring&) = delete;
    DesktopWiring& operator=(const DesktopWiring&) = delete;

    void applyHistorySetting();

private:
    void wireSession();
    void wireWindows();
    void wireBox();
    void wireMojiEditor();
    void wireToolbar();
    void boxChanged();
    void setUrlDetection(bool on, bool hideWhenOff);
    void copyScreenText();
    void openConfiguration();
    void configurationSaved(const CfgSaved& saved);

    DesktopApp& m_app;
    bool m_boxShownOpen = false;
};

}  // namespace vx
