// Talking to the season store from a window: the call runs on a thread of
// its own so that the window keeps answering; when it takes longer than
// half a second, a "Season Store" window says what is happening and offers
// Cancel, which the call hears through its `cancelled`.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace zelkor {

void RunStoreWork(QWidget* parent, const QString& what, const std::function<void(std::function<bool()> cancelled)>& work);

}  // namespace zelkor
