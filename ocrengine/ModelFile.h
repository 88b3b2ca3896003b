#pragma once
#include <string>
#include <utility>
#include <vector>

// The packed model: magic, 32-byte key, file count (uint32), then per file its
// name length (uint32), name, size (uint64) and bytes. Little-endian.
using ModelFiles = std::vector<std::pair<std::string, std::vector<char>>>;

bool writeModelFile(const std::string& path, const std::string& key, const ModelFiles& files);
// False when the file is unreadable, malformed or sealed with another key.
bool readModelFile(const std::string& path, const std::string& key, ModelFiles& files);
