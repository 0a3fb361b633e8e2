#pragma once
// Why a local file cannot be read or written, in words the user can act on: a folder or a
// device where a file was meant, a folder that is not there, a read-only disk, missing
// rights, a full disk. The reason is taken from the failed call's errno when there is one,
// and otherwise from what the path and its folder are now.

#include <string>

namespace q7k3 {

enum class LocalAccess { Read, Write };

// Why the file at `path` cannot be read or written ("на диске нет места"); `err` is the
// errno of the failed call, or 0.
std::string LocalProblem(const std::string& path, LocalAccess access, int err = 0);
// Why the folder at `path` cannot be made or written in ("диск только для чтения").
std::string FolderProblem(const std::string& path, int err = 0);

}  // namespace q7k3
