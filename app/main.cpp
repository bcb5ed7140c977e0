// Brevane - librarian and editor for DX7 voices.
#include "editor/VoiceListEditors.h"
#include "midiui/MidiInitSetup.h"
#include "shell/AppPaths.h"
#include "shell/CommandLine.h"
#include "shell/QtServices.h"
#include "shell/ToolbarIcons.h"
#include "shell/frmStartup.h"
#include "voicelist/VoiceLists.h"

#include "platform/midi/SystemMidiBackend.h"
#include "printing/PrintingHooks.h"
#include "printing/modPrintOps.h"
#include "tools/frmRandomiseVoices.h"
#include "tools/frmTamselconversion.h"

#include <QApplication>
#include <QFile>

#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brevane"));
    QApplication::setApplicationVersion(QStringLiteral(BREVANE_VERSION));
    QApplication::setOrganizationName(QStringLiteral("Brevane"));
    QApplication::setWindowIcon(shell::drawnIcon(shell::IconKey::MidiDevices));

    std::vector<std::string> args;
    const QStringList arguments = QApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i)
        args.push_back(arguments.at(i).toStdString());

    shell::QtServices services;
    services.install();

    shell::StartupOptions options;
    options.paths = shell::resolveAppPaths(QFile::encodeName(QApplication::applicationDirPath()).toStdString());
    options.commandLine = shell::parseCommandLine(args);
    options.makeVoiceLists = [](shell::frmStartup& main) { return std::make_unique<shell::VoiceLists>(main); };
    // The system's MIDI (ALSA, or JACK when BREVANE_MIDI_API=jack); without one the
    // program lists no devices and works off-line.
    options.makeMidiSetup = [] {
        return std::make_unique<shell::MidiInitSetup>(platform::createSystemMidiBackend());
    };
    // Commands of the other subsystems.
    options.extraFeatures.conversion = true;
    options.extraFeatures.patchGenerator = true;
    options.runExtraCommand = [](shell::CommandId id) {
        shell::frmStartup* mainWindow = shell::frmStartup::instance();
        if (mainWindow == nullptr)
            return;
        switch (id) {
        case shell::CommandId::ToolsConversion: tools::frmTamselconversion::showFor(*mainWindow); break;
        case shell::CommandId::ToolsPatchGenerator:
            if (tools::frmRandomiseVoices* generator = tools::frmRandomiseVoices::instance())
                generator->showWindow();
            break;
        default: break;
        }
    };
    // A double click on a voice opens it in the voice editor; File > Save Voice (the
    // commands above are passed on).
    editor::installVoiceEditor(options);
    // Printing (to the installed printers, or to PDF files) for the whole run; its commands
    // come first and pass the others on.
    printing::modPrintOps printOps;
    printing::installPrinting(options, printOps);

    shell::frmStartup window(std::move(options));
    services.setMainWindow(&window);
    // Loaded hidden before start-up, which may open a received bank as the first list.
    (void)tools::frmRandomiseVoices::install(window);
    if (!window.Form_Load())
        return 0;
    return QApplication::exec();
}
