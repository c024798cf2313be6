#include "setup/message_text.h"

std::string FillIn(const char* text, std::initializer_list<const char*> values) {
    std::string filled;
    auto next = values.begin();
    for (const char* at = text; *at != '\0'; ++at) {
        if (*at != '%' || next == values.end()) {
            filled += *at;
            continue;
        }
        filled += *next++;
        at += at[1] == 'l' ? 2 : 1;  // %lu, else %s or %c
    }
    return filled;
}
