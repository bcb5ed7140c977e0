// Shared helpers of the shell tests: the application object, temporary folders, files.
#pragma once

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace shell::testing {

// One QApplication for the whole test program (offscreen), made before the first test.
class QtAppEnvironment final : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (!QApplication::instance()) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            m_app = new QApplication(m_argc, m_argv);
            QApplication::setApplicationName(QStringLiteral("Brevane"));
            QApplication::setApplicationVersion(QStringLiteral("1.2.3"));
        }
    }
    void TearDown() override
    {
        delete m_app;
        m_app = nullptr;
    }

private:
    int m_argc = 1;
    char m_name[16] = "shell_test";
    char* m_argv[2] = {m_name, nullptr};
    QApplication* m_app = nullptr;
};

inline ::testing::Environment* const kQtAppEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtAppEnvironment);

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

}  // namespace shell::testing
