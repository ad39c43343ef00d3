// Room for a window's title: a dialog or message box narrower than its
// title would have it cut in the middle by the window manager ("Offload
// Se... ral Collars"). Installed once on the application, it widens each
// dialog and message box as it is shown.
#pragma once

class QApplication;
class QWidget;

namespace zelkor {

// The width a window needs for its title in the title bar: the words, the
// icon and the three buttons.
int TitleNeed(const QWidget& window);

void InstallTitleRoom(QApplication& app);

}  // namespace zelkor
