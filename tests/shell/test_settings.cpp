// "Brevane.ini" through the Tavisco library: round trip, missing parts, refused values.
#include "midi/clsMIDIInit.h"
#include "midiui/MidiInitSetup.h"
#include "platform/FileIO.h"
#include "platform/testing/ScriptedServices.h"
#include "shell/MidiSettingsBag.h"
#include "shell/PropertyValues.h"
#include "shell/SettingsFile.h"

#include "ShellTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string_view>

#include <sys/stat.h>

namespace shell {
namespace {

using platform::testing::ScriptedServices;
using shell::testing::readFile;
using shell::testing::TempFolder;
using shell::testing::writeFile;

// The [StartUp] target: named text properties; "Width" takes whole numbers only.
class MapBag final : public tavisco::PropertyBag {
public:
    std::map<std::string, std::string> values;

    std::optional<tavisco::Value> readProperty(const std::string& name) override
    {
        for (const std::string& key : kStartUpKeys)
            if (sameName(name, key))
                return values.count(key) ? tavisco::Value(values[key]) : tavisco::Value();
        return std::nullopt;
    }
    bool writeProperty(const std::string& name, const tavisco::Value& value) override
    {
        for (const std::string& key : kStartUpKeys) {
            if (!sameName(name, key))
                continue;
            if (key == "Width" && !toInt32(value))
                return false;
            values[key] = value.toText();
            return true;
        }
        return false;
    }
};

class SettingsTest : public ::testing::Test {
protected:
    ScriptedServices services;
    TempFolder temp;
    std::string path = temp.file("Brevane.ini");
};

TEST_F(SettingsTest, WritesTheThreeSectionsInOrderAndReadsThemBack)
{
    MapBag startUp;
    startUp.values = {{"Left", "300"}, {"Top", "450"}, {"Width", "11400"}, {"Height", "8100"},
                      {"DataDirectory", "/banks/"}, {"MIDIFileDirectory", "/mid/"}, {"ShowSplash", "False"},
                      {"SynthID", "2"}};
    MidiInitSetup midi;
    ASSERT_TRUE(midi.setMidiInDeviceName("USB MIDI 1"));
    ASSERT_TRUE(midi.setMidiOutDeviceName("None"));
    ASSERT_TRUE(midi.setMIDIInChannel(3));
    ASSERT_TRUE(midi.setMIDIOutChannel(9));
    ASSERT_TRUE(midi.setMIDIDeviceNumber(4));
    ASSERT_TRUE(midi.setSendToB(true));
    ASSERT_TRUE(midi.setMIDITimeout(15000));
    ASSERT_TRUE(midi.setSkipMIDIInit(true));
    MidiSettingsBag midiBag(midi);
    const RecentFileSlots recent = {"/banks/a.dat", "", "/banks/c.syx", "", "", ""};

    ASSERT_TRUE(SettingsFile(path).save(startUp, midiBag, recent));
    EXPECT_EQ(readFile(path),
              ";MDI initialisation\r\n[StartUp]\r\nLeft=300\r\nTop=450\r\nWidth=11400\r\nHeight=8100\r\n"
              "DataDirectory=/banks/\r\nMIDIFileDirectory=/mid/\r\nShowSplash=False\r\nSynthID=2\r\n\r\n"
              ";Recent Files List\r\n[Recent Files]\r\nFile 0=/banks/a.dat\r\nFile 1\r\nFile 2=/banks/c.syx\r\n"
              "File 3\r\nFile 4\r\nFile 5\r\n\r\n"
              ";ModInit Initialisation\r\n[MIDI]\r\nMidiInDeviceName=USB MIDI 1\r\nMidiOutDeviceName=None\r\n"
              "MIDIInChannel=3\r\nMIDIOutChannel=9\r\nMIDIDeviceNumber=4\r\nSendToB=True\r\nGetFromB=False\r\n"
              "MIDITimeout=15000\r\nSkipMIDIInit=True\r\n\r\n");

    MapBag startUp2;
    MidiInitSetup midi2;
    MidiSettingsBag midiBag2(midi2);
    RecentFileSlots recent2;
    const SettingsLoadResult r = SettingsFile(path).load(startUp2, midiBag2, recent2);
    EXPECT_EQ(r.outcome, SettingsLoad::Read);
    EXPECT_EQ(startUp2.values, startUp.values);
    EXPECT_EQ(recent2, recent);
    EXPECT_EQ(midi2.MidiInDeviceName(), "USB MIDI 1");
    EXPECT_EQ(midi2.MidiOutDeviceName(), "None");
    EXPECT_EQ(midi2.MIDIInChannel(), 3);
    EXPECT_EQ(midi2.MIDIOutChannel(), 9);
    EXPECT_EQ(midi2.MIDIDeviceNumber(), 4);
    EXPECT_TRUE(midi2.SendToB());
    EXPECT_FALSE(midi2.GetFromB());
    EXPECT_EQ(midi2.MIDITimeout(), 15000);
    EXPECT_TRUE(midi2.SkipMIDIInit());
    EXPECT_TRUE(services.messagesShown().empty());
}

TEST_F(SettingsTest, AMissingFileIsSilentAndAppliesNothing)
{
    MapBag startUp;
    MidiInitSetup midi;
    MidiSettingsBag midiBag(midi);
    RecentFileSlots recent = {"keep"};
    const SettingsLoadResult r = SettingsFile(path).load(startUp, midiBag, recent);
    EXPECT_EQ(r.outcome, SettingsLoad::FileMissing);
    EXPECT_TRUE(startUp.values.empty());
    EXPECT_EQ(recent[0], "keep");
    EXPECT_TRUE(services.messagesShown().empty());
}

// The first missing section is reported and ends loading: the sections before it stay
// applied, the ones after it are not read.
TEST_F(SettingsTest, AMissingSectionIsReportedOnceAndEndsLoading)
{
    struct Case {
        const char* text;
        const char* missing;
        bool startUpApplied, midiApplied, recentApplied;
    };
    const Case cases[] = {
        {"[StartUp]\r\nWidth=900\r\n[MIDI]\r\nMIDIOutChannel=5\r\n", "[Recent Files]", true, true, false},
        {"[StartUp]\r\nWidth=900\r\n[Recent Files]\r\nFile 0=/x.dat\r\n", "[MIDI]", true, false, false},
        {"[MIDI]\r\nMIDIOutChannel=5\r\n[Recent Files]\r\nFile 0=/x.dat\r\n", "[StartUp]", false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.missing);
        services.clear();
        writeFile(path, c.text);
        MapBag startUp;
        MidiInitSetup midi;
        MidiSettingsBag midiBag(midi);
        RecentFileSlots recent;
        const SettingsLoadResult r = SettingsFile(path).load(startUp, midiBag, recent);
        EXPECT_EQ(r.outcome, SettingsLoad::SectionMissing);
        ASSERT_EQ(services.messagesShown().size(), 1u);
        EXPECT_EQ(services.messagesShown()[0].title, "IniFile Error");
        EXPECT_EQ(services.messagesShown()[0].style, 48);
        EXPECT_NE(services.messagesShown()[0].text.find(c.missing), std::string::npos);
        EXPECT_EQ(startUp.values.count("Width") == 1, c.startUpApplied);
        EXPECT_EQ(midi.MIDIOutChannel() == 5, c.midiApplied);
        EXPECT_EQ(recent[0] == "/x.dat", c.recentApplied);
    }
}

TEST_F(SettingsTest, RefusedAndUnknownKeysAreSkippedAndTheNextKeysStillApply)
{
    writeFile(path,
              "[StartUp]\r\nColour=Red\r\nWidth=wide\r\nHeight=7000\r\n"
              "[MIDI]\r\nMIDIOutChannel=16\r\nMIDIDeviceNumber=3\r\nMIDIInChannel=x\r\nSendToB=maybe\r\n"
              "GetFromB=-1\r\nMIDITimeout=2500\r\n"
              "[Recent Files]\r\nFile 0=/a.dat\r\nFile 7=/too-far.dat\r\nFile 5=/f.dat\r\n");
    MapBag startUp;
    MidiInitSetup midi;
    ASSERT_TRUE(midi.setMIDIOutChannel(2));
    MidiSettingsBag midiBag(midi);
    RecentFileSlots recent;
    const SettingsLoadResult r = SettingsFile(path).load(startUp, midiBag, recent);
    EXPECT_EQ(r.outcome, SettingsLoad::Read);
    EXPECT_EQ(startUp.values.count("Colour"), 0u);
    EXPECT_EQ(startUp.values.count("Width"), 0u);
    EXPECT_EQ(startUp.values["Height"], "7000");
    // The channel's own message, its old value kept, the keys after it applied.
    ASSERT_EQ(services.messagesShown().size(), 1u);
    EXPECT_EQ(services.messagesShown()[0].text, "MIDI Channel must be between 0 and 15");
    EXPECT_EQ(services.messagesShown()[0].title, "MIDI Channel Error");
    EXPECT_EQ(midi.MIDIOutChannel(), 2);
    EXPECT_EQ(midi.MIDIDeviceNumber(), 3);
    EXPECT_EQ(midi.MIDIInChannel(), 0);
    EXPECT_FALSE(midi.SendToB());
    EXPECT_TRUE(midi.GetFromB());
    EXPECT_EQ(midi.MIDITimeout(), 2500);
    // Six slots, no more.
    EXPECT_EQ(recent, (RecentFileSlots{"/a.dat", "", "", "", "", "/f.dat"}));
}

// The MkI (SynthID 0) has one number for its notes channel and its device number: a file
// holding two for it is read as the device number, whichever key comes first. Every other
// instrument keeps its two numbers.
TEST_F(SettingsTest, AMkIWithTwoNumbersIsReadAsItsDeviceNumber)
{
    struct Row {
        const char* synthId;
        const char* midiKeys;
        std::int32_t channel, device;
    };
    const Row rows[] = {
        {"0", "MIDIOutChannel=0\r\nMIDIDeviceNumber=3\r\n", 3, 3},
        {"0", "MIDIDeviceNumber=3\r\nMIDIOutChannel=0\r\n", 3, 3},
        {"0", "MIDIOutChannel=5\r\nMIDIDeviceNumber=5\r\n", 5, 5},
        {"1", "MIDIOutChannel=0\r\nMIDIDeviceNumber=3\r\n", 0, 3},
        {"2", "MIDIDeviceNumber=3\r\nMIDIOutChannel=0\r\n", 0, 3},
        {"", "MIDIOutChannel=0\r\nMIDIDeviceNumber=3\r\n", 0, 3},  // no type chosen yet
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(::testing::Message() << "SynthID=" << r.synthId << " " << r.midiKeys);
        writeFile(path, std::string("[StartUp]\r\nSynthID=") + r.synthId + "\r\n[MIDI]\r\n" + r.midiKeys +
                            "[Recent Files]\r\n");
        MapBag startUp;
        MidiInitSetup midi;
        MidiSettingsBag midiBag(midi);
        RecentFileSlots recent;
        EXPECT_EQ(SettingsFile(path).load(startUp, midiBag, recent).outcome, SettingsLoad::Read);
        EXPECT_EQ(midi.MIDIOutChannel(), r.channel);
        EXPECT_EQ(midi.MIDIDeviceNumber(), r.device);
    }
    EXPECT_TRUE(services.messagesShown().empty());
}

TEST_F(SettingsTest, AnUnreadableFileIsReportedAndNothingApplied)
{
    // A folder where the file should be, and a pipe, which is not waited on.
    std::filesystem::create_directories(path);
    const std::string pipe = temp.file("pipe.ini");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    for (const std::string& settings : {path, pipe}) {
        services.clear();
        MapBag startUp;
        MidiInitSetup midi;
        MidiSettingsBag midiBag(midi);
        RecentFileSlots recent;
        const SettingsLoadResult r = SettingsFile(settings).load(startUp, midiBag, recent);
        EXPECT_EQ(r.outcome, SettingsLoad::Unreadable);
        ASSERT_EQ(services.messagesShown().size(), 1u) << settings;
        EXPECT_EQ(services.messagesShown()[0].title, "IniFile Error");
        EXPECT_EQ(services.messagesShown()[0].text,
                  "Unable to load file " + settings + ": Path/File access error");
        EXPECT_TRUE(startUp.values.empty());
    }
}

TEST_F(SettingsTest, SavingMakesTheFolderAndReportsAFailedWrite)
{
    MapBag startUp;
    MidiInitSetup midi;
    MidiSettingsBag midiBag(midi);
    const std::string nested = temp.file("config/Brevane/Brevane.ini");
    EXPECT_TRUE(SettingsFile(nested).save(startUp, midiBag, {}));
    EXPECT_NE(readFile(nested).find("[MIDI]"), std::string::npos);
    // Empty values are written as bare keys.
    EXPECT_NE(readFile(nested).find("\r\nShowSplash\r\n"), std::string::npos);

    writeFile(temp.file("plain"), "not a folder");
    std::string error;
    EXPECT_FALSE(SettingsFile(temp.file("plain/Brevane.ini")).save(startUp, midiBag, {}, &error));
    EXPECT_FALSE(error.empty());
}

// A file whose loading ended in an error is kept beside itself before the first save over
// it, once, and the user is told where; a file that is missing, empty or was read whole is
// saved over as before. Loading shows one message at most, whatever the file holds.
TEST_F(SettingsTest, AnUnusableFileIsKeptOnceBeforeItIsSavedOver)
{
    const std::string good = "[StartUp]\r\nWidth=900\r\n[Recent Files]\r\nFile 0=/a.dat\r\n[MIDI]\r\nMIDIOutChannel=5\r\n";
    // 50 MB of binary noise (with a line break now and then).
    std::string noise(50u * 1024 * 1024, '\0');
    std::uint32_t seed = 12345;
    for (char& c : noise) {
        seed = seed * 1664525u + 1013904223u;
        c = static_cast<char>(seed >> 24);
    }
    // The good text as UTF-16, as another editor may save it: invalid UTF-8 throughout.
    std::string utf16 = "\xFF\xFE";
    for (char c : good)
        utf16 += std::string{c, '\0'};
    // The good text typed by hand with LF line ends: one line, whose header opens [StartUp].
    std::string handMade = good;
    std::erase(handMade, '\r');
    const std::string longLine(1024u * 1024, 'x');
    struct Case {
        const char* what;
        std::string bytes;
        bool kept;
    };
    const Case cases[] = {
        {"garbage", "\x7F" "ELF\x02\x01 not settings at all\r\n=\r\n[\r\n;\x01\x02\x03", true},
        {"oversized", noise, true},
        {"invalid UTF-8", utf16, true},
        {"StartUp, then the other sections missing", "[StartUp]\r\nWidth=900\r\nLeft=120\r\n", true},
        {"StartUp followed by noise", "[StartUp]\r\n" + noise.substr(0, 65536), true},
        {"LF line ends", handMade, true},
        {"lines of 1 MB", "[StartUp]\r\n" + longLine + "\r\n" + longLine + "=" + longLine + "\r\n", true},
        {"one section of three", "[MIDI]\r\nMIDIOutChannel=5\r\n", true},
        {"good", good, false},
        {"empty", "", false},
        {"missing", "", false},
    };
    const std::string copy = path + ".bad";
    auto copyMessages = [this] {
        return std::count_if(services.messagesShown().begin(), services.messagesShown().end(),
                             [](const auto& m) { return m.text.find(".bad") != std::string::npos; });
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(path);
        std::filesystem::remove(copy);
        const bool there = std::string_view(c.what) != "missing";
        if (there)
            writeFile(path, c.bytes);
        services.clear();
        MapBag startUp;
        MidiInitSetup midi;
        MidiSettingsBag midiBag(midi);
        RecentFileSlots recent;
        SettingsFile file(path);
        EXPECT_EQ(file.load(startUp, midiBag, recent).unusable, c.kept);
        // Every file there but the good one gives exactly one message, however much of it
        // is wrong.
        ASSERT_EQ(services.messagesShown().size(), there && c.bytes != good ? 1u : 0u);
        for (const platform::testing::RecordedMessage& said : services.messagesShown())
            EXPECT_EQ(said.title, "IniFile Error");
        startUp.values["Width"] = "12000";
        ASSERT_TRUE(file.save(startUp, midiBag, recent));
        EXPECT_NE(readFile(path).find("Width=12000\r\n"), std::string::npos);
        EXPECT_EQ(std::filesystem::exists(copy), c.kept);
        if (c.kept) {
            EXPECT_TRUE(readFile(copy) == c.bytes);
            ASSERT_EQ(copyMessages(), 1);
            const platform::testing::RecordedMessage& said = services.messagesShown().back();
            EXPECT_NE(said.text.find(path), std::string::npos);
            EXPECT_NE(said.text.find(copy + "."), std::string::npos) << said.text;
            EXPECT_EQ(file.keptCopy(), copy);
        }
        // The second save writes over the settings just saved: no second copy, no word.
        ASSERT_TRUE(file.save(startUp, midiBag, recent));
        EXPECT_FALSE(std::filesystem::exists(copy + ".1"));
        EXPECT_EQ(copyMessages(), c.kept ? 1 : 0);
    }

    // An earlier copy is never written over: the same bytes keep it as the copy, other
    // bytes go to the next free name.
    auto loadAndSave = [&](SettingsFile& file) {
        MapBag startUp;
        MidiInitSetup midi;
        MidiSettingsBag midiBag(midi);
        RecentFileSlots recent;
        (void)file.load(startUp, midiBag, recent);
        return file.save(startUp, midiBag, recent);
    };
    const std::string garbage = "no settings here";
    writeFile(path, garbage);
    writeFile(copy, garbage);
    writeFile(copy + ".1", "an older mistake");
    SettingsFile same(path);
    ASSERT_TRUE(loadAndSave(same));
    EXPECT_EQ(same.keptCopy(), copy);
    EXPECT_FALSE(std::filesystem::exists(copy + ".2"));
    writeFile(path, garbage + " either");
    SettingsFile other(path);
    ASSERT_TRUE(loadAndSave(other));
    EXPECT_EQ(other.keptCopy(), copy + ".2");
    EXPECT_EQ(readFile(copy), garbage);
    EXPECT_EQ(readFile(copy + ".1"), "an older mistake");
    EXPECT_EQ(readFile(copy + ".2"), garbage + " either");

    // No copy, no save: the file stays as it was and the reason is given.
    writeFile(path, "still no settings");
    platform::setWriteFaultInjector([](const std::string& target) {
        return target.find(".bad") != std::string::npos ? platform::FileError::NoSpace : platform::FileError::None;
    });
    SettingsFile full(path);
    std::string error;
    MapBag startUp;
    MidiInitSetup midi;
    MidiSettingsBag midiBag(midi);
    RecentFileSlots recent;
    (void)full.load(startUp, midiBag, recent);
    EXPECT_FALSE(full.save(startUp, midiBag, recent, &error));
    platform::setWriteFaultInjector(nullptr);
    EXPECT_EQ(readFile(path), "still no settings");
    EXPECT_NE(error.find("no copy"), std::string::npos) << error;
    EXPECT_FALSE(std::filesystem::exists(copy + ".3"));
}

TEST(MidiInitSetup, TheProgramsSettingsObjectWithItsOwnChecks)
{
    ScriptedServices services;
    {
        MidiInitSetup setup;
        EXPECT_EQ(&midi::objMIDIInit(), &setup.object());
        EXPECT_FALSE(setup.available());
        EXPECT_TRUE(setup.setMIDIDeviceNumber(15));
        EXPECT_FALSE(setup.setMIDIDeviceNumber(16));
        EXPECT_EQ(setup.MIDIDeviceNumber(), 15);
        ASSERT_EQ(services.messagesShown().size(), 1u);
        EXPECT_EQ(services.messagesShown()[0].text, "MIDI device number must be between 0 and 15");
        EXPECT_FALSE(setup.setMIDIInChannel(-1));
        setup.object().MidiOutOpen = true;
        EXPECT_TRUE(setup.MidiOutOpen());
        EXPECT_FALSE(setup.MidiInOpen());
        setup.CloseMidiDevices(true, true);
        EXPECT_FALSE(setup.MidiOutOpen());
    }
    // Gone with its owner: the MIDI code is back to its default object.
    midi::clsMIDIInit other;
    MidiInitSetup borrowed(other);
    EXPECT_NE(&midi::objMIDIInit(), &other);
    EXPECT_TRUE(borrowed.setMIDIOutChannel(4));
    EXPECT_EQ(other.MIDIOutChannel(), 4);
}

TEST(PropertyValues, ConvertLikeAnAssignment)
{
    using tavisco::Value;
    EXPECT_EQ(toInt32(Value("12")), 12);
    EXPECT_EQ(toInt32(Value(" -7 ")), -7);
    EXPECT_EQ(toInt32(Value("2.5")), 2);  // half to even
    EXPECT_EQ(toInt32(Value("3.5")), 4);
    EXPECT_EQ(toInt32(Value("True")), -1);
    EXPECT_EQ(toInt32(Value(std::int64_t{1} << 40)), std::nullopt);
    EXPECT_EQ(toInt32(Value("12abc")), std::nullopt);
    EXPECT_EQ(toInt32(Value("")), std::nullopt);
    EXPECT_EQ(toInt32(Value()), std::nullopt);
    EXPECT_EQ(toBoolean(Value("false")), false);
    EXPECT_EQ(toBoolean(Value("TRUE")), true);
    EXPECT_EQ(toBoolean(Value("-1")), true);
    EXPECT_EQ(toBoolean(Value("0")), false);
    EXPECT_EQ(toBoolean(Value("yes")), std::nullopt);
    EXPECT_TRUE(sameName("midioutchannel", "MIDIOutChannel"));
    EXPECT_FALSE(sameName("MIDIOutChannel ", "MIDIOutChannel"));
}

}  // namespace
}  // namespace shell
