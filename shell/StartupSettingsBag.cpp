// Brevane - the [StartUp] settings of the main window by property name.
#include "shell/StartupSettingsBag.h"

#include "shell/PropertyValues.h"
#include "shell/frmStartup.h"

#include <cmath>

namespace shell {
namespace {

bool isEmptyValue(const tavisco::Value& value)
{
    return value.isEmpty() || (value.string() && value.string()->empty());
}

}  // namespace

std::optional<tavisco::Value> StartupSettingsBag::readProperty(const std::string& name)
{
    constexpr int k = frmStartup::kTwipsPerPixel;
    const QRect g = m_window.settingsGeometry();
    if (sameName(name, "Left"))
        return tavisco::Value(g.x() * k);
    if (sameName(name, "Top"))
        return tavisco::Value(g.y() * k);
    if (sameName(name, "Width"))
        return tavisco::Value(g.width() * k);
    if (sameName(name, "Height"))
        return tavisco::Value(g.height() * k);
    if (sameName(name, "DataDirectory"))
        return tavisco::Value(m_window.DataDirectory());
    if (sameName(name, "MIDIFileDirectory"))
        return tavisco::Value(m_window.MIDIFileDirectory());
    if (sameName(name, "ShowSplash")) {
        const auto show = m_window.ShowSplash();
        return show ? tavisco::Value(*show) : tavisco::Value();
    }
    if (sameName(name, "SynthID")) {
        const auto id = m_window.SynthID();
        return id ? tavisco::Value(*id) : tavisco::Value();
    }
    return std::nullopt;
}

bool StartupSettingsBag::writeProperty(const std::string& name, const tavisco::Value& value)
{
    const bool left = sameName(name, "Left");
    const bool top = sameName(name, "Top");
    const bool width = sameName(name, "Width");
    const bool height = sameName(name, "Height");
    if (left || top || width || height) {
        const auto twips = toInt32(value);
        if (!twips)
            return false;
        const int px = static_cast<int>(std::lround(static_cast<double>(*twips) / frmStartup::kTwipsPerPixel));
        QRect g = m_window.settingsGeometry();
        if (left)
            g.moveLeft(px);
        else if (top)
            g.moveTop(px);
        else if (width)
            g.setWidth(px);
        else
            g.setHeight(px);
        m_window.setSettingsGeometry(g);
        return true;
    }
    if (sameName(name, "DataDirectory")) {
        m_window.setDataDirectory(toText(value));
        return true;
    }
    if (sameName(name, "MIDIFileDirectory")) {
        m_window.setMIDIFileDirectory(toText(value));
        return true;
    }
    if (sameName(name, "ShowSplash")) {
        if (isEmptyValue(value)) {
            m_window.setShowSplash(std::nullopt);
            return true;
        }
        const auto b = toBoolean(value);
        if (!b)
            return false;
        m_window.setShowSplash(*b);
        return true;
    }
    if (sameName(name, "SynthID")) {
        if (isEmptyValue(value))
            return m_window.setSynthID(std::nullopt);
        const auto id = toInt32(value);
        return id && m_window.setSynthID(*id);
    }
    return false;
}

}  // namespace shell
