#include "store/store_address.h"

#include <cctype>
#include <vector>

namespace zelkor {

namespace {

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

bool IsUrl(const std::string& t) { return StartsWith(t, "postgresql://") || StartsWith(t, "postgres://"); }

// One key=value word of a libpq connection string: where it starts and
// ends, its key, and its value as written (quotes and escapes kept).
struct Word {
  size_t begin = 0, end = 0;
  std::string key;
  size_t valueBegin = 0;
};

// The words of a key=value string; false when it is not one.
bool Words(const std::string& s, std::vector<Word>* words) {
  size_t i = 0;
  while (true) {
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    if (i >= s.size()) return !words->empty();
    Word w;
    w.begin = i;
    while (i < s.size() && (std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == '_')) w.key.push_back(s[i++]);
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    if (w.key.empty() || i >= s.size() || s[i] != '=') return false;
    ++i;
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    w.valueBegin = i;
    if (i < s.size() && s[i] == '\'') {
      ++i;
      while (i < s.size() && s[i] != '\'') i += s[i] == '\\' && i + 1 < s.size() ? 2 : 1;
      if (i >= s.size()) return false;
      ++i;
    } else {
      while (i < s.size() && !std::isspace(static_cast<unsigned char>(s[i]))) i += s[i] == '\\' && i + 1 < s.size() ? 2 : 1;
    }
    w.end = i;
    words->push_back(w);
  }
}

std::string Unquoted(const std::string& value) {
  std::string out;
  const bool quoted = !value.empty() && value.front() == '\'';
  for (size_t i = quoted ? 1 : 0; i < value.size() - (quoted ? 1 : 0); ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) ++i;
    out.push_back(value[i]);
  }
  return out;
}

int Hex(char c) {
  return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

std::string PercentDecoded(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && Hex(s[i + 1]) >= 0 && Hex(s[i + 2]) >= 0) {
      out.push_back(static_cast<char>(Hex(s[i + 1]) * 16 + Hex(s[i + 2])));
      i += 2;
    } else {
      out.push_back(s[i]);
    }
  }
  return out;
}

// A URL's parts: the user-info's password, and each query parameter.
struct UrlPassword {
  size_t begin = std::string::npos, end = std::string::npos;  // the password in "user:pw@", without ':'
};

// The user-info ends at the last '@' before the query: a password with a
// '/' or an '@' left unencoded is still all masked.
UrlPassword UserInfoPassword(const std::string& url) {
  UrlPassword p;
  const size_t start = url.find("://") + 3;
  const size_t stop = url.find('?', start);
  const size_t at = url.rfind('@', stop == std::string::npos ? std::string::npos : stop);
  if (at == std::string::npos || at < start) return p;
  const size_t colon = url.find(':', start);
  if (colon == std::string::npos || colon > at) return p;
  p.begin = colon + 1;
  p.end = at;
  return p;
}

// The "password=" parameters of a URL's query: [begin of "password=", end of value).
std::vector<std::pair<size_t, size_t>> QueryPasswords(const std::string& url) {
  std::vector<std::pair<size_t, size_t>> found;
  const size_t q = url.find('?');
  if (q == std::string::npos) return found;
  size_t i = q + 1;
  while (i <= url.size()) {
    size_t amp = url.find('&', i);
    if (amp == std::string::npos) amp = url.size();
    if (url.compare(i, 9, "password=") == 0) found.push_back({i, amp});
    i = amp + 1;
  }
  return found;
}

}  // namespace

bool IsPostgresTarget(const std::string& target) {
  if (IsUrl(target)) return true;
  std::vector<Word> words;
  return target.find('=') != std::string::npos && Words(target, &words);
}

std::string MaskPassword(const std::string& target) {
  std::string masked = target;
  if (IsUrl(target)) {
    // From the end, so that earlier positions stay right.
    auto query = QueryPasswords(masked);
    for (auto it = query.rbegin(); it != query.rend(); ++it) masked.replace(it->first + 9, it->second - it->first - 9, "***");
    const UrlPassword p = UserInfoPassword(masked);
    if (p.begin != std::string::npos) masked.replace(p.begin, p.end - p.begin, "***");
    return masked;
  }
  std::vector<Word> words;
  if (!Words(target, &words)) return target;
  for (auto it = words.rbegin(); it != words.rend(); ++it)
    if (it->key == "password") masked.replace(it->valueBegin, it->end - it->valueBegin, "***");
  return masked;
}

std::string WithoutPassword(const std::string& target, std::string* password) {
  if (password) password->clear();
  std::string out = target;
  if (IsUrl(target)) {
    auto query = QueryPasswords(out);
    for (auto it = query.rbegin(); it != query.rend(); ++it) {
      if (password && password->empty()) *password = PercentDecoded(out.substr(it->first + 9, it->second - it->first - 9));
      // Take the parameter and the '&' or '?' that joins it.
      size_t from = it->first, to = it->second;
      if (to < out.size()) ++to;                    // "password=x&" -> the '&' after it
      else if (from > 0 && out[from - 1] == '&') --from;  // "...&password=x" at the end
      out.erase(from, to - from);
    }
    if (!out.empty() && (out.back() == '?' || out.back() == '&')) out.pop_back();
    const UrlPassword p = UserInfoPassword(out);
    if (p.begin != std::string::npos) {
      if (password && password->empty()) *password = PercentDecoded(out.substr(p.begin, p.end - p.begin));
      out.erase(p.begin - 1, p.end - p.begin + 1);
    }
    return out;
  }
  std::vector<Word> words;
  if (!Words(target, &words)) return target;
  for (auto it = words.rbegin(); it != words.rend(); ++it) {
    if (it->key != "password") continue;
    if (password && password->empty()) *password = Unquoted(out.substr(it->valueBegin, it->end - it->valueBegin));
    out.erase(it->begin, it->end - it->begin);
  }
  // Tidy the blanks left behind.
  std::string tidy;
  for (char c : out)
    if (!(std::isspace(static_cast<unsigned char>(c)) && (tidy.empty() || tidy.back() == ' '))) tidy.push_back(c == '\t' ? ' ' : c);
  while (!tidy.empty() && tidy.back() == ' ') tidy.pop_back();
  return tidy;
}

std::string TargetUser(const std::string& target) {
  if (IsUrl(target)) {
    const size_t start = target.find("://") + 3;
    const size_t stop = target.find_first_of("/?", start);
    const size_t at = target.rfind('@', stop == std::string::npos ? std::string::npos : stop);
    std::string user;
    if (at != std::string::npos && at >= start) {
      user = target.substr(start, at - start);
      user = user.substr(0, user.find(':'));
    }
    const size_t q = target.find('?');
    if (user.empty() && q != std::string::npos) {
      const std::string query = "&" + target.substr(q + 1);
      const size_t u = query.find("&user=");
      if (u != std::string::npos) user = query.substr(u + 6, query.find('&', u + 1) - u - 6);
    }
    return PercentDecoded(user);
  }
  std::vector<Word> words;
  if (!Words(target, &words)) return std::string();
  for (const Word& w : words)
    if (w.key == "user") return Unquoted(target.substr(w.valueBegin, w.end - w.valueBegin));
  return std::string();
}

}  // namespace zelkor
