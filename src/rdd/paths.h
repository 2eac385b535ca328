// Data-set folders are Windows paths ("F:\ACC\DATA\"): backslashes are
// accepted, drive letters are mapped to local folders, and existing files
// are found whatever the case of their names.
#pragma once

#include <string>
#include <string_view>

namespace rdd {

// Maps a drive letter to a local folder ("F" -> "/srv/acc"). Without a
// mapping the environment variable VEK_DRIVE_<letter> is consulted.
void setDriveMapping(char drive, std::string folder);
void clearDriveMappings();

// The local path of a Windows-style path: the existing file or folder of any
// case when there is one, else the name as given (for new files).
std::string localPath(std::string_view path);

}  // namespace rdd
