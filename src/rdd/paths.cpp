#include "rdd/paths.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <system_error>

namespace rdd {

namespace fs = std::filesystem;

namespace {

std::map<char, std::string>& mappings() {
  static std::map<char, std::string> m;
  return m;
}

bool sameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

}  // namespace

void setDriveMapping(char drive, std::string folder) {
  mappings()[char(std::toupper(static_cast<unsigned char>(drive)))] = std::move(folder);
}

void clearDriveMappings() { mappings().clear(); }

std::string localPath(std::string_view in) {
#ifdef _WIN32
  return std::string(in);
#else
  std::string p(in);
  for (char& c : p)
    if (c == '\\') c = '/';
  if (p.size() >= 2 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':') {
    char d = char(std::toupper(static_cast<unsigned char>(p[0])));
    std::string root;
    auto it = mappings().find(d);
    if (it != mappings().end()) {
      root = it->second;
    } else if (const char* env = std::getenv((std::string("VEK_DRIVE_") + d).c_str())) {
      root = env;
    }
    if (!root.empty()) {
      std::string rest = p.substr(2);
      if (!rest.empty() && rest[0] == '/') rest.erase(0, 1);
      if (root.back() != '/') root += '/';
      p = root + rest;
    }
  }
  std::error_code ec;
  if (p.empty() || fs::exists(p, ec)) return p;
  // Walk the components, taking an existing entry of any case at each step.
  bool absolute = p[0] == '/';
  std::string out = absolute ? "/" : "";
  std::size_t pos = absolute ? 1 : 0;
  while (pos <= p.size()) {
    std::size_t slash = p.find('/', pos);
    std::string part = p.substr(pos, slash == std::string::npos ? std::string::npos : slash - pos);
    pos = slash == std::string::npos ? p.size() + 1 : slash + 1;
    if (part.empty()) continue;
    std::string candidate = out + part;
    if (!fs::exists(candidate, ec)) {
      fs::path dir = out.empty() ? fs::path(".") : fs::path(out);
      for (fs::directory_iterator di(dir, ec), end; !ec && di != end; di.increment(ec)) {
        std::string name = di->path().filename().string();
        if (sameIgnoringCase(name, part)) {
          candidate = out + name;
          break;
        }
      }
    }
    out = candidate;
    if (slash != std::string::npos) out += '/';
  }
  return out;
#endif
}

}  // namespace rdd
