// "Offload GPS Data": how many blocks, the file name, the output form and
// the time zone; "Send Command" runs the offload, "Cancel" goes back to
// the Collar Commands dialog.
#pragma once

#include <QDialog>
#include <functional>

#include "app/command_ids.h"
#include "config/collar_config.h"
#include "gpsdata/offload_workflow.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace zelkor {

class OffloadGpsDataDialog : public QDialog {
  Q_OBJECT
 public:
  OffloadGpsDataDialog(const CollarConfig& config, OffloadContext& context, CommandSink& commands,
                       QWidget* parent = nullptr);

  QLineEdit* blocksField() const { return blocks_; }
  QLineEdit* fileNameField() const { return fileName_; }
  QRadioButton* latLonButton() const { return latLon_; }
  QRadioButton* utmButton() const { return utm_; }
  QComboBox* zoneList() const { return zones_; }
  QPushButton* sendButton() const { return send_; }
  const OffloadReport& lastReport() const { return report_; }
  // The list's last entry, after the specified ones: "Named time zone...".
  int namedZoneIndex() const;
  // Opens the named-zone picker; a cancelled pick goes back to the entry
  // chosen before.
  void chooseNamedZone();
  // A named zone chosen (by the picker, or by a test), selected in the list.
  void useNamedZone(const NamedZone& zone);

  void reject() override;

 private:
  void send();

  const CollarConfig& config_;
  OffloadContext& context_;
  CommandSink& commands_;
  uint32_t initialCount_;
  QLineEdit* blocks_;
  QLineEdit* fileName_;
  QRadioButton* latLon_;
  QRadioButton* utm_;
  QComboBox* zones_;
  QPushButton* send_;
  OffloadReport report_;
  std::optional<NamedZone> named_;
  int listIndex_ = 0;  // the last entry of the specified list chosen
};

}  // namespace zelkor
