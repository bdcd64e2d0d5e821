// Reading and rewriting an INI file on disk.
//
// A rewrite holds an advisory lock on a lock file beside the settings file,
// which every program of the product takes, reads the file afresh, changes
// it, writes the result to a temporary file in the same folder and renames
// that over the file. Two programs writing at once lose no update, and a
// reader always sees either the old or the new file whole.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>

#include "IniDocument.h"

namespace kivra {

// The document in the file, or nothing when the file is missing or cannot
// be read.
std::optional<IniDocument> LoadIniFile(const std::filesystem::path& file);

// What a change did to the document.
enum class IniChange { Unchanged, Changed, Refused };

// Applies a change to the file as one locked, atomic rewrite. A missing file
// counts as empty and is created by a change (never by an unchanged one).
// False when the folder is missing, the file is write-protected or cannot
// be read or replaced, or the change refused.
bool UpdateIniFile(const std::filesystem::path& file, const std::function<IniChange(IniDocument&)>& change);

}  // namespace kivra
