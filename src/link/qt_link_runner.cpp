#include "qt_link_runner.h"

#include "link_dialog.h"

namespace zelkor {

LinkResult QtLinkRunner::run(const LinkParams& params) {
  LinkDialog dialog(serial_, launcher_, prompter_, params, state_.programDirectory, parent_);
  dialog.setStatusLine(statusLine_);
  dialog.exec();
  const LinkResult r = dialog.result();
  state_.commandReceived = r.commandReceived;
  state_.fileReceived = r.fileReceived;
  return r;
}

}  // namespace zelkor
