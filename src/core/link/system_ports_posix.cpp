#include "link/system_ports.h"

namespace zelkor {

std::map<int, std::string> SystemComPorts() { return {}; }

}  // namespace zelkor
