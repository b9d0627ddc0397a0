// The names the platform keeps for its devices: a file called NUL.txt, in any
// directory, is the null device, and CON the console. Plain code without any
// platform header, so that the publisher's tool builds it natively too.
#pragma once

// True when the platform takes fileName (one part of a path, no separator)
// for a device: CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9 (the digit also as
// the code page's superscript 1, 2 or 3), CONIN$ or CONOUT$, in any letter
// case, alone or before an extension (NUL.txt, nul.tar.gz), and with blanks
// after it (CON , CON .txt) or a colon (LPT1:).
bool IsDeviceName(const char* fileName);

// The first part of path that is a device name, parts ending at '\' or '/';
// null when there is none. Every part counts: a device name as a directory
// (C:\App\CON\x.txt) names the device as well.
const char* FindDeviceName(const char* path);
