#include "desc.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

namespace desc {

void Fail(const Where& where, const std::string& message) {
  throw Error(where.file + ":" + std::to_string(where.line) + ": " + message);
}

namespace {

// Splits one line into words, honouring double quotes and dropping the comment.
std::vector<std::string> SplitWords(const Where& where, const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false;
  bool inWord = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"') {
        quoted = false;
      } else {
        word += c;
      }
      continue;
    }
    // A comment is '#' at the start of the line or a lone '#' word; "#rrggbb" is a colour.
    const bool lineStart = words.empty() && !inWord;
    const bool alone = i + 1 == text.size() || text[i + 1] == ' ' || text[i + 1] == '\t';
    if (c == '#' && !inWord && (lineStart || alone)) break;
    if (c == '"') {
      quoted = true;
      inWord = true;
    } else if (c == ' ' || c == '\t' || c == '\r') {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (quoted) Fail(where, "unterminated quoted text");
  if (inWord) words.push_back(word);
  return words;
}

}  // namespace

std::vector<Line> ReadLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Error(path + ": cannot open");
  std::vector<Line> lines;
  std::string text;
  int number = 0;
  while (std::getline(in, text)) {
    ++number;
    Where where{path, number};
    auto words = SplitWords(where, text);
    if (!words.empty()) lines.push_back({where, std::move(words)});
  }
  return lines;
}

double Number(const Where& where, const std::string& word, const char* what) {
  double value = 0;
  const char* end = word.data() + word.size();
  auto [ptr, ec] = std::from_chars(word.data(), end, value);
  if (ec != std::errc() || ptr != end || !std::isfinite(value)) {
    Fail(where, std::string("bad number for ") + what + ": '" + word + "'");
  }
  return value;
}

int Integer(const Where& where, const std::string& word, const char* what) {
  int value = 0;
  const char* end = word.data() + word.size();
  auto [ptr, ec] = std::from_chars(word.data(), end, value);
  if (ec != std::errc() || ptr != end) Fail(where, std::string("bad whole number for ") + what + ": '" + word + "'");
  return value;
}

namespace {

std::vector<double> SplitNumbers(const Where& where, const std::string& word, const char* what) {
  std::vector<double> values;
  std::stringstream parts(word);
  std::string part;
  while (std::getline(parts, part, ',')) values.push_back(Number(where, part, what));
  return values;
}

}  // namespace

std::vector<double> NumberList(const Where& where, const std::string& word, size_t count, const char* what) {
  std::vector<double> values = SplitNumbers(where, word, what);
  if (values.size() != count) {
    Fail(where, std::string(what) + " needs " + std::to_string(count) + " comma-separated numbers: '" + word + "'");
  }
  return values;
}

void Colour(const Where& where, const std::string& word, double rgb[3]) {
  unsigned value = 0;
  const bool shaped = word.size() == 7 && word[0] == '#' &&
                      std::all_of(word.begin() + 1, word.end(), [](char c) { return std::isxdigit(c) != 0; });
  if (!shaped) Fail(where, "colour must be #rrggbb: '" + word + "'");
  std::from_chars(word.data() + 1, word.data() + 7, value, 16);
  rgb[0] = ((value >> 16) & 0xFF) / 255.0;
  rgb[1] = ((value >> 8) & 0xFF) / 255.0;
  rgb[2] = (value & 0xFF) / 255.0;
}

Options::Options(const Where& where, const std::vector<std::string>& words, size_t first) : where_(where) {
  for (size_t i = first; i < words.size(); ++i) {
    const std::string& w = words[i];
    const size_t eq = w.find('=');
    if (eq == std::string::npos) {
      flags_.push_back(w);
      continue;
    }
    const std::string key = w.substr(0, eq);
    if (key.empty() || values_.count(key)) Fail(where, "option given twice or unnamed: '" + w + "'");
    values_[key] = w.substr(eq + 1);
  }
}

bool Options::Flag(const std::string& name) {
  auto it = std::find(flags_.begin(), flags_.end(), name);
  if (it == flags_.end()) return false;
  flags_.erase(it);
  return true;
}

bool Options::Take(const std::string& key, std::string& value) {
  auto it = values_.find(key);
  if (it == values_.end()) return false;
  value = it->second;
  values_.erase(it);
  return true;
}

double Options::Number(const std::string& key, double fallback) {
  std::string text;
  return Take(key, text) ? desc::Number(where_, text, key.c_str()) : fallback;
}

int Options::Integer(const std::string& key, int fallback) {
  std::string text;
  return Take(key, text) ? desc::Integer(where_, text, key.c_str()) : fallback;
}

std::vector<double> Options::List(const std::string& key, size_t count, const std::vector<double>& fallback) {
  std::string text;
  return Take(key, text) ? NumberList(where_, text, count, key.c_str()) : fallback;
}

std::vector<double> Options::ShortList(const std::string& key, size_t least, const std::vector<double>& fallback) {
  std::string text;
  if (!Take(key, text)) return fallback;
  std::vector<double> v = SplitNumbers(where_, text, key.c_str());
  if (v.size() < least || v.size() > fallback.size()) {
    Fail(where_, key + " takes " + std::to_string(least) + " to " + std::to_string(fallback.size()) + " numbers");
  }
  for (size_t i = v.size(); i < fallback.size(); ++i) v.push_back(fallback[i]);
  return v;
}

std::string Options::Text(const std::string& key, const std::string& fallback) {
  std::string text;
  return Take(key, text) ? text : fallback;
}

void Options::Finish() const {
  if (!flags_.empty()) Fail(where_, "unknown word '" + flags_.front() + "'");
  if (!values_.empty()) Fail(where_, "unknown option '" + values_.begin()->first + "'");
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

bool WriteText(const std::string& path, const std::string& text) {
  return WriteBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace desc
