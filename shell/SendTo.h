#pragma once

#include <string>

// Registration in the shell's Send To menu: a shortcut to this program.

// The current user's Send To folder, without a trailing backslash; empty when
// the shell cannot say where it is.
std::wstring GetSendToFolder();
// folder (ending in a backslash) followed by the shortcut's file name.
std::wstring GetShortcutPath(const std::wstring& folder);
// Writes a shell link at linkPath. True when the file was written.
bool CreateShortcut(const std::wstring& target, const std::wstring& arguments, const std::wstring& workingFolder,
                    const std::wstring& linkPath);

// The shortcut's full path; empty when there is no Send To folder.
std::wstring SendToShortcutPath();
bool IsRegisteredInSendTo();
// Creates the shortcut to the running program, or deletes it (read-only too).
void RegisterInSendTo(bool registered);
