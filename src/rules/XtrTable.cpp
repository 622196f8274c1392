#include "rules/XtrTable.h"

#include "rules/ErrorTable.h"
#include "rules/Trap.h"

std::vector<XtrRecord> XtrTable(1);
std::int16_t XtrCount = 0;

XtrRecord& XtrEntry(int index) {
    if (index < 0 || static_cast<size_t>(index) >= XtrTable.size()) {
        Raise(Err::SubscriptOutOfRange);
    }
    return XtrTable[static_cast<size_t>(index)];
}
