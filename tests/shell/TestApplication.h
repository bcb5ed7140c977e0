// The one application object of a test program, made before its first test.
#pragma once

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <string>
#include <type_traits>

namespace shell::testing {

// Makes one App for the whole test program before the first test (unless one exists) and
// deletes it after the last. A QApplication (any App but a QCoreApplication) is made on the
// offscreen platform. Its argv[0] is programName; onMade, when given, runs once it is made.
template <class App>
class AppEnvironment final : public ::testing::Environment {
public:
    explicit AppEnvironment(const char* programName, void (*onMade)() = nullptr)
        : m_name(programName), m_onMade(onMade)
    {
    }

    void SetUp() override
    {
        if (!QCoreApplication::instance()) {
            // Offscreen, with the screens a test may have given the platform.
            if constexpr (!std::is_same_v<App, QCoreApplication>)
                if (!qEnvironmentVariable("QT_QPA_PLATFORM").startsWith(QLatin1String("offscreen")))
                    qputenv("QT_QPA_PLATFORM", "offscreen");
            m_app = new App(m_argc, m_argv);
            if (m_onMade != nullptr)
                m_onMade();
        }
    }
    void TearDown() override
    {
        delete m_app;
        m_app = nullptr;
    }

private:
    std::string m_name;
    int m_argc = 1;
    char* m_argv[2] = {m_name.data(), nullptr};
    App* m_app = nullptr;
    void (*m_onMade)();
};

}  // namespace shell::testing
