#include "dist/placement.h"

#include "archive/naming.h"

std::string PlacementOf(const std::string& memberName) {
    if (IsHelpFile(memberName)) {
        return "Windows help directory";
    }
    if (IsKeptOnReinstall(memberName)) {
        return "DestDir, kept if existing";
    }
    return "DestDir";
}
