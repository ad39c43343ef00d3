#include "gps_document.h"

#include <QFile>

namespace zelkor {

bool GpsDocument::open(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return false;
  QByteArray data = f.readAll();
  size_ = data.size();
  data.append('\0');
  bytes_ = data;
  path_ = path;
  return true;
}

void GpsDocument::clear() {
  bytes_.clear();
  path_.clear();
  size_ = 0;
}

}  // namespace zelkor
