#include "archive/naming.h"

#include <stdexcept>

#include "setup/product.h"

std::string ExtensionOf(const std::string& name) {
    const std::string::size_type dot = name.rfind('.');
    if (dot == std::string::npos) {
        return "";
    }
    // A dot before the last directory or drive separator belongs to a
    // directory name, not to the file's extension.
    if (name.find_first_of("\\:", dot + 1) != std::string::npos) {
        return "";
    }
    return name.substr(dot);
}

std::string UpperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

bool IsKeptOnReinstall(const std::string& name) {
    const std::string extension = UpperAscii(ExtensionOf(name));
    return extension == ".LIB" || extension == ".DTP";
}

bool IsHelpFile(const std::string& name) { return UpperAscii(ExtensionOf(name)) == ".HLP"; }

bool IsShortName(const std::string& name) {
    const std::string::size_type dot = name.find('.');
    const std::string::size_type base = dot == std::string::npos ? name.size() : dot;
    const std::string::size_type extension = dot == std::string::npos ? 0 : name.size() - dot - 1;
    if (base < 1 || base > 8 || (dot != std::string::npos && (extension < 1 || extension > 3))) return false;
    return name.find_first_of(" +,;=[]", 0) == std::string::npos && name.find('.', base + 1) == std::string::npos;
}

bool HasAliasForm(const std::string& name) {
    if (!IsShortName(name)) return false;
    const std::string base = name.substr(0, name.find('.'));
    const std::string::size_type tilde = base.rfind('~');
    return tilde != std::string::npos && tilde + 1 < base.size() &&
           base.find_first_not_of("0123456789", tilde + 1) == std::string::npos;
}

std::string ReplaceExtension(const std::string& name, const std::string& extension) {
    const std::string current = ExtensionOf(name);
    return name.substr(0, name.size() - current.size()) + extension;
}

std::string PartFileName(const std::string& firstPart, int k) {
    static const char* const further[MaxDiskCount - 1] = {".002", ".003", ".004"};
    if (k == 1) {
        return firstPart;
    }
    if (k < 2 || k > MaxDiskCount) {
        return "";
    }
    return ReplaceExtension(firstPart, further[k - 2]);
}
