// The calendar control's plugin entry. The control itself comes later.
#include <QObject>
#include <QtPlugin>

class NVKCalendarPlugin : public QObject {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID "com.nalvik.NVKCal/1.0" FILE "nvkcal.json")
};

#include "nvkcal_plugin.moc"
