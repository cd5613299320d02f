// File-system helpers for tests that work in scratch directories.
#pragma once

#include <string>

std::string MakeScratchDirectory();
void RemoveTree(const std::string& path);
void WriteFile(const std::string& path, const std::string& contents);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);  // without following a final symbolic link
void CopyExecutable(const std::string& from, const std::string& to);
