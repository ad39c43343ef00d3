// The program's built-in pictures (backdrop, icon).
#pragma once

namespace zelkor {

void EnsureResources();

}  // namespace zelkor
