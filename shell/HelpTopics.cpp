// Brevane - help topics.
#include "shell/HelpTopics.h"

#include "banklib/clsVoiceNames.h"

#include <utility>

namespace shell {
namespace {

constexpr std::pair<int, const char*> kContexts[] = {
    {2000, "MDIMain.htm#File"},
    {2010, "MDIMain.htm#FileNew"},
    {2020, "MDIMain.htm#FileOpen"},
    {2030, "MDIMain.htm#FileSave"},
    {2040, "MDIMain.htm#FileSaveAs"},
    {2050, "MDIMain.htm#FilePageSetup"},
    {2060, "MDIMain.htm#FilePrint"},
    {2070, "MDIMain.htm#FilePrintVoiceData"},
    {2100, "MDIMain.htm#Edit"},
    {2200, "MDIMain.htm#Midi"},
    {2220, "MDIMain.htm#MidiSend"},
    {2240, "MDIMain.htm#MidiReceive"},
    {2260, "MDIMain.htm#MidiOptions"},
    {2280, "MDIMain.htm#MidiDevices"},
    {2300, "MDIMain.htm#Tools"},
    {2360, "MDIMain.htm#ToolsOptions"},
    {2400, "MDIMain.htm#Help"},
    {2420, "QuickTour.htm"},
    {2440, "Support.htm"},
    {9000, "MDIMain.htm#EditFind"},
    {9200, "MDIMain.htm#EditSort"},
    {10000, "MDIMain.htm#ToolsConversion"},
    {11000, "MDIMain.htm#ToolsPatchGenerator"},
    {12000, "MDIMain.htm#ToolsMidiFilePlayer"},
};

constexpr std::pair<DialogHelp, const char*> kDialogs[] = {
    {DialogHelp::MidiDevices, "::/index.htm#StartingBrevane"},
    {DialogHelp::Find, "MDIMain.htm#EditFind"},
    {DialogHelp::Duplicates, "MDIMain.htm#EditDuplicates"},
    {DialogHelp::GroupPatches, "MDIMain.htm#EditGroupPatches"},
    {DialogHelp::Options, "MDIMain.htm#ToolsOptions"},
    {DialogHelp::PrintToPdfFile, "MDIMain.htm#FilePrint"},
};

}  // namespace

std::string normaliseHelpTopic(const std::string& topic)
{
    std::string t = topic;
    // "<file>.chm::/page" and "::/page" name a page inside the help file.
    if (const auto sep = t.find("::/"); sep != std::string::npos)
        t = t.substr(sep + 3);
    while (!t.empty() && (t.front() == '/' || t.front() == ' '))
        t.erase(t.begin());
    while (!t.empty() && t.back() == ' ')
        t.pop_back();
    if (t.empty() || t.front() == '#')
        return kHelpContentsPage + t;
    return t;
}

std::string helpTopicForContext(int context)
{
    for (const auto& [number, topic] : kContexts)
        if (number == context)
            return topic;
    return kHelpContentsPage;
}

const char* dialogHelpTopic(DialogHelp dialog)
{
    for (const auto& [d, topic] : kDialogs)
        if (d == dialog)
            return topic;
    return kHelpContentsPage;
}

std::vector<std::string> programHelpTopics()
{
    std::vector<std::string> topics{std::string()};
    for (const auto& entry : kContexts)
        topics.emplace_back(entry.second);
    for (const auto& entry : kDialogs)
        topics.emplace_back(entry.second);
    for (std::string& topic : banklib::clsVoiceNames::FileDialogHelpTopics())
        topics.push_back(std::move(topic));
    return topics;
}

}  // namespace shell
