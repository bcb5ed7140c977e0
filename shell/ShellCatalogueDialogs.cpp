// Brevane - the catalogue's dialogs as the program has them so far.
#include "shell/ShellCatalogueDialogs.h"

#include "shell/frmFileFormatDialog.h"

namespace shell {

std::optional<banklib::FileType> ShellCatalogueDialogs::chooseSaveFormat(banklib::FileType current)
{
    return frmFileFormatDialog::choose(current, m_owner ? m_owner() : nullptr);
}

}  // namespace shell
