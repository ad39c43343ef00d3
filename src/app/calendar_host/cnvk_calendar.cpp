#include "cnvk_calendar.h"

#include "link/helper_location.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonObject>
#include <QPluginLoader>
#include <QWidget>

namespace zelkor {

QString CNVKCalendar::PluginFolder() {
  const QString env = qEnvironmentVariable("ZELKOR_PLUGIN_DIR");
  if (!env.isEmpty()) return env;
  return QString::fromStdString(PluginDirectory((QCoreApplication::applicationDirPath() + "/").toStdString()));
}

nvkcal::Factory* CNVKCalendar::FindFactory() {
  QDir dir(PluginFolder());
  for (const QString& name : dir.entryList(QDir::Files)) {
    QPluginLoader loader(dir.filePath(name));
    if (loader.metaData().value("MetaData").toObject().value("ClassId").toString() != NVKCAL_CLASS_ID) continue;
    if (auto* factory = qobject_cast<nvkcal::Factory*>(loader.instance())) return factory;
  }
  return nullptr;
}

bool CNVKCalendar::create(QWidget* parent) {
  if (control_) return true;
  nvkcal::Factory* factory = FindFactory();
  if (!factory) return false;
  control_ = factory->create(parent);
  return control_ != nullptr;
}

QWidget* CNVKCalendar::widget() const { return control_ ? control_->widget() : nullptr; }

void CNVKCalendar::put(int id, const QVariant& v) {
  if (control_) control_->putProperty(id, v);
}

QVariant CNVKCalendar::get(int id) {
  QVariant v;
  if (control_) control_->getProperty(id, &v);
  return v;
}

QVariant CNVKCalendar::call(int id, QVariantList args) {
  QVariant r;
  if (control_) control_->invoke(id, args, &r);  // results are not checked by the host
  return r;
}

bool CNVKCalendar::SetUpControl(int* enabled, int* aux) {
  return call(nvkcal::kSetUpControl, {*enabled != 0, *aux != 0}).toBool();
}
bool CNVKCalendar::LoadWeekDay(int* value, short* day) {
  return call(nvkcal::kLoadWeekDay, {*value != 0, *day}).toBool();
}
bool CNVKCalendar::LoadCheckedDaysArray(short* month, short* index, short* value) {
  return call(nvkcal::kLoadCheckedDaysArray, {*month, *index, *value}).toBool();
}
void CNVKCalendar::UpdateControl() { call(nvkcal::kUpdateControl, {}); }
short CNVKCalendar::ReadCheckedDaysArray(short* month, short* index) {
  return static_cast<short>(call(nvkcal::kReadCheckedDaysArray, {*month, *index}).toInt());
}
short CNVKCalendar::ReadWeekDay(short* day) { return static_cast<short>(call(nvkcal::kReadWeekDay, {*day}).toInt()); }
bool CNVKCalendar::IsLeapYear(short* year) { return call(nvkcal::kIsLeapYear, {*year}).toBool(); }
short CNVKCalendar::GetDayofWeek(short* month, short* day, short* year) {
  return static_cast<short>(call(nvkcal::kGetDayofWeek, {*month, *day, *year}).toInt());
}
QVariant CNVKCalendar::SaveSettings() { return call(nvkcal::kSaveSettings, {}); }

}  // namespace zelkor
