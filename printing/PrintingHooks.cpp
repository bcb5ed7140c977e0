// Brevane - what printing adds to the main window.
#include "printing/PrintingHooks.h"

#include "printing/modPrintOps.h"
#include "shell/frmStartup.h"

#include <utility>

namespace printing {

void installPrinting(shell::StartupOptions& options, modPrintOps& ops)
{
    options.extraFeatures.printing = true;
    options.countPrinters = [&ops] { return ops.countPrinters(); };

    auto otherCommands = std::move(options.runExtraCommand);
    options.runExtraCommand = [&ops, otherCommands](shell::CommandId id) {
        switch (id) {
        case shell::CommandId::FilePageSetup: ops.ShowPageSetup(); return;
        case shell::CommandId::FilePrintPreview: ops.showPreview(); return;
        case shell::CommandId::FilePrint: ops.PrintVoiceListCommand(); return;
        case shell::CommandId::FilePrintVoiceData: (void)ops.PrintVoiceEditors(); return;
        default: break;
        }
        if (otherCommands)
            otherCommands(id);
    };

    // Exit asks about the preview's text before the MIDI ports close, so a Cancel leaves
    // the program as it was.
    auto otherQuery = std::move(options.onQueryUnload);
    options.onQueryUnload = [&ops, otherQuery] { return ops.queryUnload() && (!otherQuery || otherQuery()); };

    auto otherUnload = std::move(options.onUnload);
    options.onUnload = [&ops, otherUnload] {
        ops.unload();
        if (otherUnload)
            otherUnload();
    };
}

}  // namespace printing
