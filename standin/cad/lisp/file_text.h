#pragma once
// File helpers of the stand-in: UTF-8 paths (Japanese folder names work on Windows too), whole
// file reads, case-insensitive lookup in a folder, and replacing a file in one step so that a
// reader polling it never sees half of it.
#include <filesystem>
#include <string>
#include <string_view>

namespace standin::lisp {

std::filesystem::path utf8Path(std::string_view utf8);
std::string pathUtf8(const std::filesystem::path& p);

bool readWholeFile(const std::filesystem::path& file, std::string& bytes);

// The entry of `folder` whose name equals `name` without regard to ASCII case; empty if none.
std::filesystem::path findNoCase(const std::filesystem::path& folder, std::string_view name);

// Writes to a temporary name beside the file and renames it over the file.
bool replaceFile(const std::filesystem::path& file, std::string_view bytes);

}  // namespace standin::lisp
