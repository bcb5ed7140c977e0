// Brevane - an in-memory registry of open voice lists for tests.
#include "banklib/testing/FakeRegistry.h"

#include "banklib/clsVoiceLists.h"
#include "platform/Services.h"
#include "platform/VbText.h"

#include <algorithm>

namespace banklib::testing {

VoiceListView* FakeRegistry::Add(const std::string& path, bool& cancel, FileType& fileType)
{
    cancel = false;
    for (VoiceListView* open : m_lists) {
        if (open->FileName() != path)
            continue;
        const auto answer = platform::messages().messageBox(
            "You already have a file open with this name.\r\nRevert to last saved version ?",
            platform::MsgStyle::YesNoCancel + platform::MsgStyle::Question, "File already open");
        if (answer != platform::MsgAnswer::Yes) {
            cancel = true;
            return nullptr;
        }
        (void)open->unload();
        Delete(open->ListID());
        break;
    }
    clsVoiceLists check;
    std::string name = path;
    if (check.CheckFileIntegrity(name, fileType, false) != FileCheck::Ok) {
        fileType = FileType::NotFound;
        return nullptr;
    }
    auto list = std::make_unique<FakeVoiceList>();
    list->setListID("L" + platform::Format(NextFileNo(), "0000"));
    list->setFileName(path);
    list->setFileTitle(clsVoiceLists::GetFileTitle(path));
    list->setFilePath(path.substr(0, path.size() - list->FileTitle().size()));
    list->setFileType(fileType);
    list->setCaption(list->FileTitle());
    m_lists.push_back(list.get());
    m_owned.push_back(std::move(list));
    return m_lists.back();
}

void FakeRegistry::Delete(const std::string& listID)
{
    deleted.push_back(listID);
    std::erase_if(m_lists, [&](VoiceListView* l) { return l->ListID() == listID; });
}

VoiceListView* FakeRegistry::Item(const std::string& listID)
{
    for (VoiceListView* l : m_lists)
        if (l->ListID() == listID)
            return l;
    return nullptr;
}

VoiceListView* FakeRegistry::Item(std::int32_t position)
{
    if (position < 1 || position > count())
        return nullptr;
    return m_lists[static_cast<std::size_t>(position - 1)];
}

void FakeRegistry::registerList(VoiceListView& list)
{
    list.setListID("L" + platform::Format(NextFileNo(), "0000"));
    m_lists.push_back(&list);
}

}  // namespace banklib::testing
