#include "config/WindowPositions.h"

#include "base/Formats.h"
#include "config/ConfigSettings.h"

namespace vx {
namespace {

struct PlacedKeys {
    PlacedWindow window;
    const char* top;
    const char* left;
};

constexpr PlacedKeys kWindows[] = {
    {PlacedWindow::MainFrame, "MainTop", "MainLeft"}, {PlacedWindow::VXEditor, "VXETop", "VXELeft"},
    {PlacedWindow::BBSEditor, "BBSTop", "BBSLeft"},   {PlacedWindow::LastURLs, "URLTop", "URLLeft"},
    {PlacedWindow::Website, "WEBTop", "WEBLeft"},     {PlacedWindow::Status, "StatusTop", "StatusLeft"},
};

const std::string kSection = "Positions";
const std::string kType = "S";

}  // namespace

int WindowPositions::SaveRestorePositions(bool save, const std::string& configPath, bool& dataWritten) {
    if (save) {
        SettingsStore::Batch batch(m_store, configPath);
        std::size_t i = 0;
        for (const PlacedKeys& keys : kWindows) {
            m_values[i] = m_windows.top(keys.window);
            m_store.WriteSettingValue(configPath, kSection, keys.top, kType, formatLeadingBlank(m_values[i++]));
            m_values[i] = m_windows.left(keys.window);
            m_store.WriteSettingValue(configPath, kSection, keys.left, kType, formatLeadingBlank(m_values[i++]));
        }
        m_store.WriteSettingValue(configPath, kSection, "DATAwritten", kType, "True");
        // A configuration that has gone collects nothing and commits "nothing to write": that is
        // a failure to save, not a save.
        int status = batch.commit();
        if (status == SettingsStore::kOk) status = batch.openStatus();
        if (status == SettingsStore::kOk) dataWritten = true;
        return status;
    }

    std::string value;
    m_store.ReadSettingValue(configPath, kSection, "DATAwritten", kType, "False", value);
    dataWritten = TextToBoolean(value);
    std::size_t i = 0;
    for (const PlacedKeys& keys : kWindows) {
        m_store.ReadSettingValue(configPath, kSection, keys.top, kType, std::to_string(m_windows.top(keys.window)),
                                 value);
        m_values[i] = clampToInt32(parseLeadingNumber(value));
        m_windows.setTop(keys.window, m_values[i++]);
        m_store.ReadSettingValue(configPath, kSection, keys.left, kType, std::to_string(m_windows.left(keys.window)),
                                 value);
        m_values[i] = clampToInt32(parseLeadingNumber(value));
        m_windows.setLeft(keys.window, m_values[i++]);
    }
    return SettingsStore::kOk;
}

}  // namespace vx
