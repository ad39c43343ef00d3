// "zelkor --render-dialogs DIR": a PNG of every dialog in its opening state,
// named after its class, for documentation and review.
#pragma once

#include <QString>
#include <QStringList>

#include "app_context.h"

namespace zelkor {

class MainFrame;

// Returns the files written; an empty list when the folder cannot be made.
QStringList RenderDialogs(const QString& dir, AppContext& context, MainFrame& frame);

}  // namespace zelkor
