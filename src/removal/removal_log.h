// The removal log: every change is recorded, when it is made, as a script
// entry that undoes it. The log is itself a script for this engine.
#pragma once
#include <cstddef>

enum RemovalKind {
    RestoreCopy = 0,          // target path text, description
    RemoveFile = 1,           // path, description
    IniValue = 2,             // file text, section, key, old value
    RegistryString = 3,       // key path text, value name, old value
    RegistryDword = 4,        // key path text, value name, const unsigned long* old value
    TextLine = 5,             // file text, section, line key, old line
    RegistryBinary = 6,       // key path text, value name, old data as escaped text
    RegistryMultiString = 7,  // key path text, value name, old data as escaped text
    PathVariable = 10,        // variable name, value
};

// Writes one record into the file named by the variable RemoveInf. Returns 0,
// or -1 when the log's directory could not be made (nothing written then).
// Values are written so that each reads back as written: '/' doubled in
// descriptions, '/' and '%' in old values (which are also put in quotes when
// the profile reader would drop their outer blanks or quotes), ';' and '%' in
// path values.
// A record whose key text would not fit 259 characters is left out: a cut key
// would name another item. A value that would not fit is cut, never inside a
// doubled separator.
int LogRemoval(int kind, ...);

// Copies source into destination (capacity cap) writing every separator
// twice; false when the doubled text did not fit (it is then cut before the
// first separator pair or character that would not fit whole).
bool DoubleSeparator(char* destination, size_t cap, const char* source, char separator);
