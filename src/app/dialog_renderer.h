// "zelkor --render-dialogs DIR": a PNG of every dialog in its opening state,
// named after its class, for documentation and review.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

#include "app_context.h"

namespace zelkor {

class MainFrame;

// Every dialog of the program in its opening state (and the viewer's tabs,
// the track zoomed in, the help window), each with its picture name.
using DialogVisitor = std::function<void(QWidget& dialog, const QString& name)>;
void ForEachDialog(AppContext& context, MainFrame& frame, const DialogVisitor& visit);

// Writes "Name.png" and "Name@2x.png" of every dialog, and the printout as a
// PDF. Returns the files written; an empty list when the folder cannot be
// made. What LayoutProblems finds in any of them goes to `problems`.
// One style and font for the pictures on every platform (Fusion, DejaVu
// Sans 9 pt where it is installed), set before any window is made.
void UseRenderFont();

// Also writes NAME.txt beside each picture: the texts the window shows.
QStringList RenderDialogs(const QString& dir, AppContext& context, MainFrame& frame, QStringList* problems = nullptr);

}  // namespace zelkor
