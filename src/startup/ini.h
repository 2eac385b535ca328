// Settings files read the way Windows private profiles are: sections and
// keys in any case, values trimmed; a key that is missing, or holds exactly
// its default, gets the default written back; the rest of the file is kept
// as it was.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace startup {

class IniFile {
 public:
  // A name without "." gets ".ini" appended; the file need not exist.
  explicit IniFile(std::string path);

  const std::string& path() const { return path_; }
  // The value, or `dflt` when the key is absent.
  std::string get(const std::string& section, const std::string& key, const std::string& dflt) const;
  // As get(); when the result equals the default it is written back.
  std::string read(const std::string& section, const std::string& key, const std::string& dflt);
  // Sets a key (added at the end of its section, or in a new section at
  // the end of the file) and writes the file.
  void set(const std::string& section, const std::string& key, const std::string& value);
  // Every key of a section with its value, in file order.
  std::vector<std::pair<std::string, std::string>> entries(const std::string& section) const;

 private:
  struct Found {
    long section = -1, key = -1, sectionEnd = -1;
  };
  Found find(const std::string& section, const std::string& key) const;
  void save() const;

  std::string path_;
  std::vector<std::string> lines_;
  std::string eol_ = "\r\n";
};

}  // namespace startup
