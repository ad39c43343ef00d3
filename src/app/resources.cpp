#include "resources.h"

#include <QtGlobal>

// Resources in a static library must be registered by hand.
static void InitZelkorResources() { Q_INIT_RESOURCE(zelkor); }

namespace zelkor {

void EnsureResources() {
  static const bool done = [] {
    InitZelkorResources();
    return true;
  }();
  (void)done;
}

}  // namespace zelkor
