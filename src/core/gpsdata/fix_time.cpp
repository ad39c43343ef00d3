#include "gpsdata/fix_time.h"

#include "gpsdata/translate.h"
#include "util/text.h"

namespace zelkor {

// Howard Hinnant's days_from_civil and civil_from_days (public domain).
int64_t DaysFromCivil(int year, int month, int day) {
  const int64_t y = year - (month <= 2);
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int* year, int* month, int* day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  *day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *year = static_cast<int>(yoe + era * 400 + (*month <= 2));
}

int WeekdayOfDays(int64_t days) { return static_cast<int>(days >= -4 ? (days + 4) % 7 : (days + 5) % 7 + 6); }

bool FixUtcSeconds(const GpsFix& f, int64_t* seconds) {
  // The collar's year has two digits: 2000 to 2099.
  if (f.year < 0 || f.year > 99 || f.month < 1 || f.month > 12 || f.day < 1 || f.day > DaysInMonth(f.month, f.year) || f.hour < 0 ||
      f.hour > 23 || f.minute < 0 || f.minute > 59 || f.second < 0 || f.second > 59)
    return false;
  *seconds = DaysFromCivil(2000 + f.year, f.month, f.day) * 86400 + f.hour * 3600 + f.minute * 60 + f.second;
  return true;
}

namespace {
void Split(int64_t s, int* y, int* mo, int* d, int* h, int* mi, int* se) {
  int64_t days = s / 86400, rest = s % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  CivilFromDays(days, y, mo, d);
  *h = static_cast<int>(rest / 3600);
  *mi = static_cast<int>(rest % 3600 / 60);
  *se = static_cast<int>(rest % 60);
}
}  // namespace

std::string IsoUtcSeconds(int64_t s) {
  int y, mo, d, h, mi, se;
  Split(s, &y, &mo, &d, &h, &mi, &se);
  return Format("%04d-%02d-%02dT%02d:%02d:%02dZ", y, mo, d, h, mi, se);
}

std::string PlainDateTime(int64_t s) {
  int y, mo, d, h, mi, se;
  Split(s, &y, &mo, &d, &h, &mi, &se);
  return Format("%04d-%02d-%02d %02d:%02d:%02d", y, mo, d, h, mi, se);
}

}  // namespace zelkor
