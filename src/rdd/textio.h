// Tables to and from text files: fixed-width (SDF) and delimited, in code
// page 874 as stored, lines ended by CR LF and the file by one 1A byte.
#pragma once

#include <string>

namespace rdd {

class Area;

struct Delimiter {
  // Quotes around text fields; 0 with `blank` for the form that separates
  // fields by one blank and puts no quotes (DELIMITED WITH BLANK).
  char quote = '"';
  bool blank = false;
};

// Every record (deleted ones too, as the table shows them), from the first.
// False after a runtime error naming the file.
bool copyToDelimited(Area& a, const std::string& path, Delimiter d = {});
bool copyToSdf(Area& a, const std::string& path);

// Appends one record per line; the count of records appended, or -1.
long appendFromSdf(Area& a, const std::string& path);
long appendFromDelimited(Area& a, const std::string& path, Delimiter d = {});

}  // namespace rdd
