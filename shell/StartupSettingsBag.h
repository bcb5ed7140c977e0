// Brevane - the [StartUp] settings of the main window, read and assigned by property name.
#pragma once

#include "inifile/PropertyBag.h"

namespace shell {

class frmStartup;

// Left, Top, Width and Height (the window in twips), DataDirectory, MIDIFileDirectory,
// ShowSplash and SynthID. Other names are not properties of the window.
class StartupSettingsBag final : public tavisco::PropertyBag {
public:
    explicit StartupSettingsBag(frmStartup& window) : m_window(window) {}

    std::optional<tavisco::Value> readProperty(const std::string& name) override;
    bool writeProperty(const std::string& name, const tavisco::Value& value) override;

private:
    frmStartup& m_window;
};

}  // namespace shell
