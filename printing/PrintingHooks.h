// Brevane - what printing adds to the main window.
#pragma once

namespace shell {
struct StartupOptions;
}

namespace printing {

class modPrintOps;

// Makes the File menu's Page Setup, Print Preview, Print and Print Voice Data commands
// available and run by ops, counts the printers at start-up, lets Exit ask about the
// preview's text and closes the preview at unload. Commands, start-up and unload hooks
// given before are kept and still run.
void installPrinting(shell::StartupOptions& options, modPrintOps& ops);

}  // namespace printing
