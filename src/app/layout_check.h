// Looks over a shown window for text that does not fit: labels and buttons
// narrower than their words, widgets squeezed below their minimum, laid-out
// neighbours drawn over each other. Used by the render tests at 1x and 2x
// and by "zelkor --render-dialogs", which prints what it finds.
#pragma once

#include <QStringList>

class QWidget;

namespace zelkor {

// One line per problem, naming the widget ("QLabel 'Start Month' in
// AuxScheduleDialog: 52 px wide, its text needs 71"). Empty when the window
// looks right. The window must be shown (laid out) first.
QStringList LayoutProblems(QWidget& window);

}  // namespace zelkor
