// Shared helpers of the voice-list window tests: a main window with the real voice
// lists, bank files written by our own writer, a rename wait the test fires itself.
#pragma once

#include "../banklib/BankTestSupport.h"
#include "../shell/ShellTestSupport.h"

#include "banklib/VoiceListRecordset.h"
#include "banklib/clsVoiceNames.h"
#include "midiui/MidiInitSetup.h"
#include "platform/Latin1.h"
#include "platform/testing/ScriptedServices.h"
#include "shell/frmStartup.h"
#include "voicelist/VoiceListBox.h"
#include "voicelist/VoiceLists.h"
#include "voicelist/frmVoiceList.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace shell::testing {

// A deferred call that waits until the test fires it.
class ManualDeferredCall final : public DeferredCall {
public:
    void start(int ms, std::function<void()> action) override
    {
        delayMs = ms;
        m_action = std::move(action);
    }
    void stop() override { m_action = nullptr; }
    bool isActive() const override { return static_cast<bool>(m_action); }
    // Runs the waiting call; false when none was waiting.
    bool fire()
    {
        std::function<void()> action = std::move(m_action);
        m_action = nullptr;
        if (!action)
            return false;
        action();
        return true;
    }
    int delayMs = 0;

private:
    std::function<void()> m_action;
};

// A bank file of n voices named "VOICE 0001".. (packed layouts) or "UNPK 0001".. in a
// layout, written by the voice bank library.
inline std::string writeBankFile(const std::string& path, std::size_t n, banklib::FileType type)
{
    banklib::clsVoiceNames writer;
    const auto data = banklib::isPackedLayout(type) ? banklib::test::packedVoices(n)
                                                    : banklib::test::unpackedVoices(n);
    EXPECT_FALSE(writer.SaveVoiceDataToFileByt(data, path, type, true));
    return path;
}

inline std::string nameOf(std::size_t voice, banklib::FileType type)
{
    char name[16];
    std::snprintf(name, sizeof name, banklib::isPackedLayout(type) ? "VOICE %04zu" : "UNPK %04zu", voice);
    std::string padded = name;
    padded.resize(10, ' ');
    return padded;
}

// The main window (not started) with the real voice lists, its program folder holding
// "DXInit.dat", and every rename wait made manual.
class VoiceListFixture : public ::testing::Test {
protected:
    VoiceListFixture()
    {
        frmVoiceList::setDeferredCallFactory([] { return std::make_unique<ManualDeferredCall>(); });
        StartupOptions options;
        options.paths.programFolder = program.folder();
        options.paths.settingsFile = program.file("Brevane.ini");
        options.paths.dataBaseFolder = data.folder();
        options.paths.besideProgram = true;
        options.splashMs = 0;
        options.makeVoiceLists = [this](frmStartup& main) {
            auto lists = std::make_unique<VoiceLists>(main);
            voiceLists = lists.get();
            return lists;
        };
        options.makeMidiSetup = [] { return std::make_unique<MidiInitSetup>(); };
        main = std::make_unique<frmStartup>(std::move(options));
        main->setDataDirectory(data.folder());
        main->resize(900, 700);
        main->show();
        writeBankFile(program.file("DXInit.dat"), 32, banklib::FileType::Packed);
    }
    ~VoiceListFixture() override
    {
        main.reset();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        frmVoiceList::setDeferredCallFactory({});
    }

    // Opens a file as File > Open would (added to the recent files).
    frmVoiceList* open(const std::string& path, bool temporary = false)
    {
        banklib::clsVoiceNames names;
        banklib::VoiceListView* window = nullptr;
        if (names.CreateVoiceListandFileImage(path, window, temporary, !temporary) !=
            banklib::clsVoiceNames::ListOpen::Opened)
            return nullptr;
        return dynamic_cast<frmVoiceList*>(window);
    }
    frmVoiceList* openBank(const std::string& name, std::size_t n, banklib::FileType type)
    {
        return open(writeBankFile(data.file(name), n, type));
    }
    static ManualDeferredCall& timerOf(frmVoiceList& w) { return dynamic_cast<ManualDeferredCall&>(w.renameWait()); }
    // Entry texts of the page shown.
    static std::vector<std::string> entries(frmVoiceList& w)
    {
        std::vector<std::string> out;
        for (int i = 0; i < w.List1()->count(); ++i)
            out.push_back(platform::toBytes(w.List1()->text(i)));
        return out;
    }
    // Voices selected on the page shown (1-based voice numbers).
    static std::vector<int> shownSelected(frmVoiceList& w)
    {
        std::vector<int> out;
        for (int i = 0; i < w.List1()->count(); ++i)
            if (w.List1()->isSelected(i))
                out.push_back((w.bankPage() - 1) * 32 + i + 1);
        return out;
    }
    static QPoint pointOf(frmVoiceList& w, int entry) { return w.List1()->itemRect(entry).center(); }
    // A plain, Ctrl or Shift click on an entry of the page shown, as the list box reports it.
    static void click(frmVoiceList& w, int entry, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                      Qt::MouseButton button = Qt::LeftButton)
    {
        w.List1_MouseDown(button, modifiers, pointOf(w, entry));
        w.List1_MouseUp(button, modifiers, pointOf(w, entry));
    }
    void processEvents() { QApplication::processEvents(); }
    // Makes a list the active child and runs an Edit menu command (by menu index) on it.
    void edit(frmVoiceList& w, int index)
    {
        main->mdiArea()->setActiveSubWindow(w.subWindow());
        main->mnuedit_Click(index);
    }

    platform::testing::ScriptedServices ui;
    TempFolder program;
    TempFolder data;
    VoiceLists* voiceLists = nullptr;
    std::unique_ptr<frmStartup> main;
};

}  // namespace shell::testing
