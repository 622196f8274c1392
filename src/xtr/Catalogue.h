#pragma once
// The catalogue scan: XtrTable rebuilt from both folders.

// Lists HostFolder (active files first) and SavedXTR, reads every XTR file and
// tests whether each entry's application exists. Reports its own failures.
void ScanXTR();
