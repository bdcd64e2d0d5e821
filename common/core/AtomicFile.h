// Replacing a file's content so that a reader sees either the old or the
// new content whole, never a half-written file.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace kivra {

// The file that a rewrite replaces: a link is followed, so that the link
// stays and its target gets the new content.
std::filesystem::path RewriteTarget(const std::filesystem::path& file);

// The permission bits of a new file under the current umask.
unsigned NewFileMode();

// Writes the bytes to a temporary file in the target's folder, flushes it
// to disk and renames it over the target. On failure the target is left
// as it was, the temporary file is removed and, when asked, why is told.
bool WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes, unsigned mode,
                         std::string* why = nullptr);

}  // namespace kivra
