// "Named Time Zone": picks an IANA zone (or the computer's own) for a
// translation whose times follow daylight saving.
#pragma once

#include <QDialog>
#include <optional>

#include "gpsdata/named_zone.h"

class QLineEdit;
class QListWidget;

namespace zelkor {

class NamedZoneDialog : public QDialog {
  Q_OBJECT
 public:
  // `initial`: the zone to select, when it is in the list.
  explicit NamedZoneDialog(const QString& initial, QWidget* parent = nullptr);
  QLineEdit* filterField() const { return filter_; }
  QListWidget* list() const { return list_; }
  // The selected zone once the dialog was accepted.
  std::optional<NamedZone> zone() const;

  void accept() override;

 private:
  void applyFilter(const QString& text);
  QLineEdit* filter_;
  QListWidget* list_;
  QString localName_;
};

}  // namespace zelkor
