#pragma once
// Reading and writing XTR files on disk. Both report their own failures and
// return normally.
#include <cstdint>

// Reads the file named by folder and fileName of XtrTable[index] into its
// title, program path pieces, autoStart and autoStop.
void ReadXTR(std::int16_t index);

// Writes XtrTable[CurrentIndex] to its file, creating or replacing it whole.
// False when it failed (and was reported); the old file is then untouched.
bool ContentChanged();
