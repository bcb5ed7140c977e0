// Shared helpers of the shell tests: the application object, temporary folders, files.
#pragma once

#include "TestApplication.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <utility>

namespace shell::testing {

// One QApplication for the whole test program (offscreen), made before the first test.
inline ::testing::Environment* const kQtAppEnvironment =
    ::testing::AddGlobalTestEnvironment(new AppEnvironment<QApplication>("shell_test", [] {
        QApplication::setApplicationName(QStringLiteral("Brevane"));
        QApplication::setApplicationVersion(QStringLiteral("1.2.3"));
    }));

// A fresh empty folder, removed with everything in it when the object goes.
class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "brevane-shell-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            m_path = pattern;
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return m_path; }
    // The folder with a trailing '/'.
    [[nodiscard]] std::string folder() const { return m_path.string() + "/"; }
    [[nodiscard]] std::string file(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void writeFile(const std::string& path, const std::string& text)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// Acts on the next modal dialog of a type as soon as it is up (looking every 10 ms, for
// at most 10 s), so a test that opens one with exec() goes on.
template <typename Dialog, typename Action>
void whenModal(Action action)
{
    auto* timer = new QTimer(qApp);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, qApp, [timer, tries, action] {
        if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(dialog);
        } else if (++*tries > 1000) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

// Calls back whenever the widget paints.
class PaintWatch final : public QObject {
public:
    PaintWatch(QWidget& widget, std::function<void()> painted) : m_painted(std::move(painted))
    {
        widget.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            m_painted();
        return false;
    }

private:
    std::function<void()> m_painted;
};

}  // namespace shell::testing
