// Copying values between sections and arrays or objects.
#include "TestSupport.h"

#include <array>

namespace tavisco::testing {
namespace {

using PropertyBagHelpers = LibraryTest;

TEST_F(PropertyBagHelpers, RecentFilesGoThroughAnArrayAndBack)
{
    const std::array<Value, 6> recent{Value("/a/one.dat"), Value(""), Value("/a/three.syx"),
                                      Value(), Value(""), Value("")};
    struct Case {
        bool ignoreEmpty;
        std::string text;
    };
    const Case cases[] = {
        {false, "[Recent Files]\r\nFile 0=/a/one.dat\r\nFile 1\r\nFile 2=/a/three.syx\r\nFile 3\r\nFile 4\r\nFile 5\r\n"},
        {true, "[Recent Files]\r\nFile 0=/a/one.dat\r\nFile 2=/a/three.syx\r\n"},
    };
    for (const Case& c : cases) {
        Ref<Section> s = Create<Section>();
        s->setName("Recent Files");
        ASSERT_TRUE(s->Keys()->Add("Stale").ok());
        ASSERT_TRUE(s->LoadFromArray(recent, "File ", c.ignoreEmpty).ok());
        EXPECT_EQ(s->GetText(true, true), c.text) << "keys replaced, empty items as bare names";

        std::array<Value, 6> back{Value("x"), Value("x"), Value("x"), Value("x"), Value("x"), Value("x")};
        s->SaveToArray(back, "File ");
        EXPECT_EQ(back[0], Value("/a/one.dat"));
        EXPECT_EQ(back[2], Value("/a/three.syx"));
        for (const std::size_t i : {1U, 3U, 4U, 5U})
            EXPECT_EQ(back[i].toText(), "") << i;
        if (c.ignoreEmpty) {
            EXPECT_TRUE(back[1].isEmpty()) << "a missing key leaves the element empty";
        }
    }
}

TEST_F(PropertyBagHelpers, AnEmptyPrefixMeansItem)
{
    Ref<Section> s = Create<Section>();
    const std::array<Value, 2> values{Value(1), Value(2)};
    ASSERT_TRUE(s->LoadFromArray(values).ok());
    EXPECT_EQ(s->GetText(true), "[]\r\nItem0=1\r\nItem1=2\r\n");
    std::array<Value, 3> back;
    s->SaveToArray(back);
    EXPECT_EQ(back[1], Value(2));
    EXPECT_TRUE(back[2].isEmpty());
}

TEST_F(PropertyBagHelpers, LoadFromObjectWritesTextAndKeepsTheFirstValue)
{
    FakeObject window;
    window.properties = {{"Left", Value(120)}, {"ShowSplash", Value(true)}, {"SynthID", Value()},
                         {"DataDirectory", Value("/home/u/Data/")}};
    const std::vector<std::string> names{"Left", "ShowSplash", "SynthID", "DataDirectory"};
    Ref<Section> s = Create<Section>();
    s->setName("StartUp");
    s->LoadFromObject(window, names);
    window.properties["Left"] = Value(999);
    s->LoadFromObject(window, names);

    EXPECT_EQ(s->GetText(true), "[StartUp]\r\nLeft=120\r\nShowSplash=True\r\nSynthID\r\nDataDirectory=/home/u/Data/\r\n");
    EXPECT_EQ(key(s, "Left")->Value(), Value("120")) << "values are stored as text";
    EXPECT_TRUE(window.writes.empty()) << "reading never assigns a property";
}

// A property that cannot be read must not produce a key, least of all one carrying the
// previous property's value.
TEST_F(PropertyBagHelpers, APropertyThatCannotBeReadAddsNoKey)
{
    FakeObject midi;
    midi.properties = {{"MIDIInChannel", Value(3)}, {"MIDITimeout", Value(2000)}};
    midi.throwing = {"SendToB"};
    const std::vector<std::string> names{"MIDIInChannel", "NoSuchProperty", "SendToB", "", "MIDITimeout"};
    Ref<Section> s = Create<Section>();
    s->setName("MIDI");
    s->LoadFromObject(midi, names);
    EXPECT_EQ(s->GetText(true), "[MIDI]\r\nMIDIInChannel=3\r\nMIDITimeout=2000\r\n");
    EXPECT_EQ(midi.reads, names) << "every name is looked up exactly as given";
}

TEST_F(PropertyBagHelpers, SaveToObjectPassesOverKeysItCannotApply)
{
    FakeObject midi;
    midi.properties = {{"MIDIOutChannel", Value(1)}, {"MIDIDeviceNumber", Value(0)}, {"SendToB", Value(false)},
                       {"MIDITimeout", Value(1000)}};
    midi.refusing = {"MIDIOutChannel"};
    midi.throwing = {"SendToB"};
    Ref<INIFile> ini = newFile();
    ini->setText("[MIDI]\r\nMIDIOutChannel=16\r\nUnknown=1\r\nSendToB=True\r\nMIDIDeviceNumber=5\r\nMIDITimeout\r\n");
    section(ini, "MIDI")->SaveToObject(midi);

    EXPECT_EQ(midi.writes,
              (std::vector<std::string>{"MIDIOutChannel", "Unknown", "SendToB", "MIDIDeviceNumber", "MIDITimeout"}));
    EXPECT_EQ(midi.properties["MIDIOutChannel"], Value(1));
    EXPECT_EQ(midi.properties["SendToB"], Value(false));
    EXPECT_EQ(midi.properties["MIDIDeviceNumber"], Value("5"));
    EXPECT_TRUE(midi.properties["MIDITimeout"].isEmpty()) << "a bare key assigns the empty value";
    EXPECT_FALSE(midi.properties.contains("Unknown"));
}

}  // namespace
}  // namespace tavisco::testing
