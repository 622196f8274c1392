#pragma once
// Reading and writing XTR files on disk. Both report their own failures and
// return normally.
#include "common/Trap.h"

#include <cstdint>
#include <string>

// Reads the file named by folder and fileName of XtrTable[index] into its
// title, program path pieces, autoStart and autoStop, and keeps the bytes it
// read in its bytes (or marks it unreadable).
void ReadXTR(std::int16_t index);

// The bytes of the file at path as ReadXTR keeps them: the whole file, or of
// a file over 64 KiB as much as its first four lines need. Raises on failure.
std::string ReadXtrBytes(const std::wstring& path);

// Writes XtrTable[CurrentIndex] to its file, creating or replacing it whole.
// When it failed (and was reported), the old file is untouched.
TrapResult ContentChanged();
