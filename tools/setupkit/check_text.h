// Checks of texts that more than one kind of entry shares: %Name% pieces,
// conditions and flags, and the expansion the installer would make.
#pragma once
#include <string>
#include <vector>

#include "check_context.h"

// The expansion of a text with the variables as far as the checker knows
// them ([path] defaults; [reg] values are empty) and the built-in
// directories of a typical machine.
std::string Expanded(const std::string& text, bool split);
// A name expansion replaces: a built-in name or a variable.
bool IsDefinedName(const std::string& name);

// Reports the %Name% pieces of a text expanded piece by piece that no
// built-in name and no [reg] or [path] row defines: they stay as written.
void CheckNames(ScriptCheck& check, int line, const std::string& text);

// How a condition is tested: its flags, and whether "-" joins the codes.
enum class ConditionUse { Listing, Selection, Copy, Recorded, Font, Deletion };
// Reports alternatives that can never hold, letters no choice defines,
// flags out of place and conditions longer than the installer tests.
void CheckCondition(ScriptCheck& check, int line, const std::string& condition, ConditionUse use);

// Reports a text longer than the field it goes into: limit characters
// (UTF-16 units) for a width the installer counts in characters, limit
// bytes of UTF-8 for one of its fixed buffers (inCharacters false).
bool CheckWidth(ScriptCheck& check, int line, const std::string& text, size_t limit, const char* what,
                const char* beyond, bool inCharacters = false);

// A text cut into fields as the installer cuts it (at most room of them).
std::vector<std::string> Fields(const std::string& text, char separator, int room);
