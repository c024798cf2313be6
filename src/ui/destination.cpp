#include "ui/destination.h"

#include "setup/product.h"
#include "util/paths.h"

const char FallbackProgramFilesDir[] = "C:\\Program Files";

std::string DefaultDestination(const std::string& preferred, const std::string& programFilesDir) {
    if (!preferred.empty()) return preferred;
    return PathJoin(programFilesDir, ProductName);
}

bool DestinationFormValid(const std::string& text) {
    return text.size() >= 2 && text[0] >= 'A' && text[0] <= 'Z' && text[1] == ':' && !HasWildcards(text);
}
