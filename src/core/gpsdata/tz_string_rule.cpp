#include "gpsdata/tz_string_rule.h"

#include <algorithm>
#include <cctype>

#include "gpsdata/fix_time.h"
#include "util/read_file.h"

namespace zelkor {

namespace {

class Reader {
 public:
  explicit Reader(const std::string& s) : s_(s) {}
  bool done() const { return i_ >= s_.size(); }
  char peek() const { return done() ? '\0' : s_[i_]; }
  bool take(char c) {
    if (peek() != c) return false;
    ++i_;
    return true;
  }
  // "MST" or "<+0545>".
  bool name(std::string* out) {
    out->clear();
    if (take('<')) {
      while (!done() && peek() != '>') out->push_back(s_[i_++]);
      return take('>') && !out->empty();
    }
    while (!done() && std::isalpha(static_cast<unsigned char>(peek()))) out->push_back(s_[i_++]);
    return out->size() >= 3;
  }
  bool number(int* out, int maxDigits) {
    int digits = 0, v = 0;
    while (!done() && std::isdigit(static_cast<unsigned char>(peek())) && digits < maxDigits) {
      v = v * 10 + (s_[i_++] - '0');
      ++digits;
    }
    *out = v;
    return digits > 0;
  }
  // [+-]hh[:mm[:ss]] as seconds.
  bool time(int* out, int maxHours) {
    const bool negative = take('-');
    if (!negative) take('+');
    int h = 0, m = 0, sec = 0;
    if (!number(&h, 3) || h > maxHours) return false;
    if (take(':') && (!number(&m, 2) || m > 59)) return false;
    if (take(':') && (!number(&sec, 2) || sec > 59)) return false;
    *out = (h * 3600 + m * 60 + sec) * (negative ? -1 : 1);
    return true;
  }

 private:
  const std::string& s_;
  size_t i_ = 0;
};

int64_t LocalDayOf(int year, int month, int week, int weekday) {
  // The week-th weekday of the month; week 5 is the last.
  const int64_t first = DaysFromCivil(year, month, 1);
  int64_t day = first + ((weekday - WeekdayOfDays(first)) + 7) % 7 + (week - 1) * 7;
  const int length = month == 12 ? static_cast<int>(DaysFromCivil(year + 1, 1, 1) - first)
                                 : static_cast<int>(DaysFromCivil(year, month + 1, 1) - first);
  while (day >= first + length) day -= 7;
  return day;
}

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int YearOf(int64_t seconds) {
  int64_t days = seconds / 86400;
  if (seconds % 86400 < 0) --days;
  int y, m, d;
  CivilFromDays(days, &y, &m, &d);
  return y;
}

}  // namespace

std::optional<PosixTzRule> PosixTzRule::Parse(const std::string& text) {
  PosixTzRule r;
  Reader in(text);
  int offset = 0;
  if (!in.name(&r.stdName_) || !in.time(&offset, 24)) return std::nullopt;
  r.stdOffset_ = -offset;  // POSIX counts west of Greenwich
  if (in.done()) return r;
  if (!in.name(&r.dstName_)) return std::nullopt;
  r.dst_ = true;
  r.dstOffset_ = r.stdOffset_ + 3600;
  if (in.peek() != ',' && !in.done()) {
    if (!in.time(&offset, 24)) return std::nullopt;
    r.dstOffset_ = -offset;
  }
  auto when = [&in](When* w) {
    if (!in.take(',')) return false;
    if (in.take('J')) {
      w->kind = 'J';
      if (!in.number(&w->day, 3) || w->day < 1 || w->day > 365) return false;
    } else if (in.take('M')) {
      w->kind = 'M';
      if (!in.number(&w->month, 2) || w->month < 1 || w->month > 12 || !in.take('.') || !in.number(&w->week, 1) ||
          w->week < 1 || w->week > 5 || !in.take('.') || !in.number(&w->day, 1) || w->day > 6)
        return false;
    } else {
      w->kind = 'D';
      if (!in.number(&w->day, 3) || w->day > 365) return false;
    }
    w->seconds = 7200;
    if (in.take('/') && !in.time(&w->seconds, 167)) return false;
    return true;
  };
  if (in.done()) {
    // No rule given: the United States' rule, as the C library assumes.
    r.start_ = {'M', 0, 2, 3, 7200};
    r.end_ = {'M', 0, 1, 11, 7200};
    return r;
  }
  if (!when(&r.start_) || !when(&r.end_) || !in.done()) return std::nullopt;
  return r;
}

std::optional<PosixTzRule> PosixTzRule::FromZoneFile(const std::string& path) {
  std::string bytes;
  if (!ReadWholeFile(path, &bytes)) return std::nullopt;
  // TZif version 2 and later end with "\n<TZ string>\n".
  if (bytes.size() < 44 || bytes.compare(0, 4, "TZif") != 0 || bytes[4] < '2' || bytes.back() != '\n')
    return std::nullopt;
  const size_t open = bytes.rfind('\n', bytes.size() - 2);
  if (open == std::string::npos) return std::nullopt;
  const std::string footer = bytes.substr(open + 1, bytes.size() - open - 2);
  if (footer.empty()) return std::nullopt;
  return Parse(footer);
}

int64_t PosixTzRule::changeUtc(const When& w, int year, int offsetBefore) const {
  int64_t day = 0;
  switch (w.kind) {
    case 'J':
      day = DaysFromCivil(year, 1, 1) + w.day - 1 + (IsLeap(year) && w.day >= 60 ? 1 : 0);
      break;
    case 'D':
      day = DaysFromCivil(year, 1, 1) + w.day;
      break;
    default:
      day = LocalDayOf(year, w.month, w.week, w.day);
      break;
  }
  return day * 86400 + w.seconds - offsetBefore;
}

std::vector<int64_t> PosixTzRule::changesIn(int year) const {
  if (!dst_) return {};
  int64_t a = changeUtc(start_, year, stdOffset_), b = changeUtc(end_, year, dstOffset_);
  if (b < a) std::swap(a, b);
  return {a, b};
}

bool PosixTzRule::isDst(int64_t t) const {
  if (!dst_) return false;
  const int year = YearOf(t + stdOffset_);
  // The changes of the years around t in time order (an end before a start
  // at the same instant, so daylight saving all year stays on); the last
  // one at or before t decides.
  std::vector<std::pair<int64_t, bool>> changes;  // instant, starts daylight saving
  for (int y = year - 1; y <= year + 1; ++y) {
    changes.push_back({changeUtc(start_, y, stdOffset_), true});
    changes.push_back({changeUtc(end_, y, dstOffset_), false});
  }
  std::sort(changes.begin(), changes.end());
  bool in = changes.front().second ? false : true;
  for (const auto& [at, starts] : changes) {
    if (at > t) break;
    in = starts;
  }
  return in;
}

int PosixTzRule::offsetAt(int64_t utcSeconds) const { return isDst(utcSeconds) ? dstOffset_ : stdOffset_; }

std::string PosixTzRule::abbreviationAt(int64_t utcSeconds) const {
  return isDst(utcSeconds) ? dstName_ : stdName_;
}

int64_t PosixTzRule::utcFromLocal(int64_t local, int64_t notBefore) const {
  const int64_t a = local - stdOffset_, b = local - dstOffset_;
  const bool aFits = offsetAt(a) == stdOffset_, bFits = dst_ && offsetAt(b) == dstOffset_;
  if (aFits && bFits) {
    const int64_t earlier = std::min(a, b), later = std::max(a, b);
    return earlier >= notBefore ? earlier : later;
  }
  if (aFits) return a;
  if (bFits) return b;
  // Skipped by a change: read with the offset in force before it.
  return local - offsetAt(std::min(a, b) - 1);
}

}  // namespace zelkor
