// Brevane - what the catalogue operations need from the rest of the program.
#include "banklib/CatalogueHooks.h"

#include "banklib/AppState.h"
#include "banklib/CatalogueDialogs.h"
#include "banklib/clsVoiceNames.h"

#include <utility>

namespace banklib {
namespace {

VoiceListOpener& opener()
{
    static VoiceListOpener installed;
    return installed;
}

VoiceListView* g_runList = nullptr;

}  // namespace

void setVoiceListOpener(VoiceListOpener fn) { opener() = std::move(fn); }

VoiceListView* openVoiceListFile(const std::string& path, bool isTemporaryFile, bool addToRecent)
{
    const VoiceListOpener& open = opener();
    if (open)
        return open(path, isTemporaryFile, addToRecent);
    clsVoiceNames names;
    VoiceListView* list = nullptr;
    return names.CreateVoiceListandFileImage(path, list, isTemporaryFile, addToRecent) ==
                   clsVoiceNames::ListOpen::Opened
               ? list
               : nullptr;
}

VoiceListView* catalogueRunList() { return g_runList; }

CatalogueRun::CatalogueRun(VoiceListView& list) : m_previous(g_runList)
{
    g_runList = &list;
    if (m_previous == nullptr)
        appState().catalogueDialogs().beginCatalogueRun(list);
}

CatalogueRun::~CatalogueRun()
{
    g_runList = m_previous;
    if (m_previous == nullptr)
        appState().catalogueDialogs().endCatalogueRun();
}

}  // namespace banklib
