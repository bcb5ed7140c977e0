// Brevane - open and save dialogs.
#pragma once

#include "platform/Services.h"

#include <functional>

class QFileDialog;
class QWidget;

namespace shell {

// Qt's own (non-native) file dialog, so the Help button and the filters behave the same
// on every desktop. Paths travel as byte strings in the file system's encoding, titles
// and filters as Latin-1 texts.
class QtFileDialogService final : public platform::FileDialogService {
public:
    explicit QtFileDialogService(std::function<QWidget*()> parentProvider = {});

    platform::FileDialogResult openFile(const platform::FileDialogRequest& request) override;
    platform::FileDialogResult saveFile(const platform::FileDialogRequest& request) override;

    // The dialog as it would be shown (not yet executed); the caller owns it.
    [[nodiscard]] QFileDialog* makeDialog(const platform::FileDialogRequest& request, bool save) const;
    // Reads the result off a dialog that was accepted (or not).
    [[nodiscard]] static platform::FileDialogResult resultOf(const QFileDialog& dialog, bool accepted);

private:
    platform::FileDialogResult run(const platform::FileDialogRequest& request, bool save);

    std::function<QWidget*()> m_parent;
};

}  // namespace shell
