// The plain-text description format shared by the content tools.
//
// A description is a list of lines; a comment is '#' at the start of a line or a
// '#' standing alone as a word, to the end of the line. Words are separated by
// blanks, a double-quoted word may hold blanks. Words of the form key=value are
// options; other words after the fixed ones are flags. Every problem is reported as
// "file:line: message" through desc::Error so a bad description stops the build with
// a message that points at the line.
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace desc {

struct Where {
  std::string file;
  int line = 0;
};

class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

[[noreturn]] void Fail(const Where& where, const std::string& message);

struct Line {
  Where where;
  std::vector<std::string> words;
};

// Reads a description file; blank and comment-only lines are dropped.
std::vector<Line> ReadLines(const std::string& path);

// Strict number parsing: the whole word must be the number and it must be finite.
double Number(const Where& where, const std::string& word, const char* what);
int Integer(const Where& where, const std::string& word, const char* what);
// "a,b,c" with exactly `count` numbers.
std::vector<double> NumberList(const Where& where, const std::string& word, size_t count, const char* what);
// "#rrggbb" as three components 0..1.
void Colour(const Where& where, const std::string& word, double rgb[3]);

// The options and flags of one line. Each one must be taken by the reader; Finish
// reports whatever was left, so a misspelt option never passes silently.
class Options {
 public:
  Options(const Where& where, const std::vector<std::string>& words, size_t first);
  bool Flag(const std::string& name);
  double Number(const std::string& key, double fallback);
  int Integer(const std::string& key, int fallback);
  std::vector<double> List(const std::string& key, size_t count, const std::vector<double>& fallback);
  // Between `least` and fallback.size() numbers; the missing ones come from fallback.
  std::vector<double> ShortList(const std::string& key, size_t least, const std::vector<double>& fallback);
  std::string Text(const std::string& key, const std::string& fallback);
  void Finish() const;
  const Where& Location() const { return where_; }

 private:
  bool Take(const std::string& key, std::string& value);  // removes the option when found

  Where where_;
  std::map<std::string, std::string> values_;
  std::vector<std::string> flags_;
};

// Writes bytes to a file, replacing it; false on any failure.
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
bool WriteText(const std::string& path, const std::string& text);

}  // namespace desc
