// Brevane - the one loaded instance of a window that is loaded and unloaded by name.
//
// The Find window, the catalogue dialogs and their progress windows exist at most once
// each: load makes the window when none is loaded, get is the loaded one or nullptr.
// The pointer clears itself when the window is destroyed another way (with its parent).
#pragma once

#include <QPointer>

#include <functional>

namespace shell {

template <class Window>
class LoadedDialog {
public:
    [[nodiscard]] Window* get() const { return m_window.data(); }

    // The loaded window. When none is loaded, make() returns a new one, which becomes the
    // loaded window before setUp(window) runs.
    template <class Make, class SetUp>
    Window& load(Make&& make, SetUp&& setUp)
    {
        if (m_window.isNull()) {
            m_window = std::invoke(make);
            std::invoke(setUp, *m_window);
        }
        return *m_window;
    }

    // Forgets the window at once, hides it and deletes it when control is back in the
    // event loop, so a window may unload itself from one of its own buttons.
    void unloadLater()
    {
        Window* window = m_window.data();
        if (window == nullptr)
            return;
        m_window = nullptr;
        window->hide();
        window->deleteLater();
    }

    // Destroys the window now, if one is loaded.
    void unloadNow() { delete m_window.data(); }

private:
    QPointer<Window> m_window;
};

}  // namespace shell
