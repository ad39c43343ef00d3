#include "store/database.h"

#include <cstdlib>

namespace zelkor {

int64_t SqlRow::integer(size_t i) const {
  const SqlValue& v = cells[i];
  if (auto p = std::get_if<int64_t>(&v)) return *p;
  if (auto p = std::get_if<double>(&v)) return static_cast<int64_t>(*p);
  if (auto p = std::get_if<std::string>(&v)) return std::strtoll(p->c_str(), nullptr, 10);
  return 0;
}

double SqlRow::real(size_t i) const {
  const SqlValue& v = cells[i];
  if (auto p = std::get_if<double>(&v)) return *p;
  if (auto p = std::get_if<int64_t>(&v)) return static_cast<double>(*p);
  if (auto p = std::get_if<std::string>(&v)) return std::strtod(p->c_str(), nullptr);
  return 0;
}

std::string SqlRow::text(size_t i) const {
  const SqlValue& v = cells[i];
  if (auto p = std::get_if<std::string>(&v)) return *p;
  if (auto p = std::get_if<int64_t>(&v)) return std::to_string(*p);
  if (auto p = std::get_if<double>(&v)) return std::to_string(*p);
  return std::string();
}

}  // namespace zelkor
