#pragma once

#include <string>
#include <string_view>

// The per-user store of the four values. Nothing is cached: every read and write opens the store afresh,
// so a value another process changed is seen at the next read, and every write reaches the disk at once.
namespace settings_store {

// The stored text, or empty text when the key is absent.
std::string read(std::string_view key);

// Stores the text at once, replacing the old value atomically. A write that cannot reach the store
// throws the path/file access error; the file that was there stays as it was.
void write(std::string_view key, const std::string& text);

} // namespace settings_store
