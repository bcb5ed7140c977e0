// Brevane - the images of the menus and the toolbar.
#pragma once

#include "shell/CommandTable.h"

#include <QIcon>

namespace shell {

// The desktop theme's icon for the image when the theme has one, else our own drawing.
[[nodiscard]] QIcon toolbarIcon(IconKey key);
// Our own drawing of the image, whatever the theme (an empty icon for IconKey::None).
[[nodiscard]] QIcon drawnIcon(IconKey key);

}  // namespace shell
