// Finds the calendar control by its class id, the way the program does.
#pragma once

#include <QDir>
#include <QJsonObject>
#include <QPluginLoader>

#include "nvkcal_interface.h"

namespace zelkor::testing {

inline nvkcal::Factory* LoadCalendar(QString* where = nullptr) {
  QDir dir(QString(ZELKOR_BIN_DIR) + "/plugins");
  for (const QString& name : dir.entryList(QDir::Files)) {
    QPluginLoader loader(dir.filePath(name));
    if (loader.metaData().value("MetaData").toObject().value("ClassId").toString() != NVKCAL_CLASS_ID) continue;
    if (auto* f = qobject_cast<nvkcal::Factory*>(loader.instance())) {
      if (where) *where = dir.filePath(name);
      return f;
    }
  }
  return nullptr;
}

}  // namespace zelkor::testing
