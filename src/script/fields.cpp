#include "script/fields.h"

char* SplitFields(char* text, char** fields, int* count, char separator, int room) {
    int n = 0;
    fields[0] = text;
    char* w = text;
    char* r = text;
    bool justBroke = false;
    for (; *r; ++r) {
        char c = *r;
        if (separator && c == separator) {
            if (justBroke) {  // the second of a pair takes the break back
                --n;
                w[-1] = separator;
                justBroke = false;
                continue;
            }
            if (n + 2 <= room - 1) {
                *w++ = '\0';
                fields[++n] = w;
                justBroke = true;
                continue;
            }
        }
        *w++ = c;
        justBroke = false;
    }
    *w = '\0';
    *count = n + 1;
    fields[n + 1] = nullptr;
    return r;
}
