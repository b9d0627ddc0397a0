// Scripts and answers files saved as UTF-8, made readable for the platform's
// profile functions. Those read UTF-16LE text (known by its byte order mark)
// and, in any other file, the bytes of the machine's legacy code page. They
// do not know the UTF-8 byte order mark on every version of Windows, so a
// UTF-8 file is read through a UTF-16LE twin of it.
#pragma once

// Writes the text of the UTF-8 file `source` to `target` (which may be the
// same file) as UTF-16LE with a byte order mark, beside and then moved into
// place. Taken as UTF-8: a file that begins with the UTF-8 byte order mark
// and, with `plainUtf8`, one without it whose bytes beyond ASCII all form
// UTF-8 characters. Any other file (UTF-16, ANSI, ASCII alone, or one that
// holds a zero byte, which is no text) is left as it is and *converted is
// false. False when the file cannot be read or the twin cannot be written.
bool WriteUtf16Twin(const char* source, const char* target, bool plainUtf8, bool* converted);

// The run's copy of its script (or of the removal log a removal run reads):
// a UTF-8 script becomes UTF-16LE in place; others stay as they are. False
// when the copy cannot be read or rewritten.
bool ScriptReadableByProfile(const char* path);
