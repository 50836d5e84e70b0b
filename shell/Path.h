#pragma once

#include "shell/ItemPath.h"

#include <string>

// Splitting and joining Windows paths. Each takes and returns whole strings,
// of any length: nothing is cut to a fixed buffer.

// From the start of the last component to the end.
std::wstring GetFileName(const std::wstring& path);
// From the dot that starts the extension; empty when there is none.
std::wstring GetExtension(const std::wstring& path);
std::wstring RemoveExtension(const std::wstring& path);
// Without the last component.
std::wstring RemoveFileSpec(const std::wstring& path);
// Ending in exactly one backslash (an empty path stays empty).
std::wstring AddBackslash(const std::wstring& path);
// With the extension replaced by (or, without one, followed by) extension.
std::wstring RenameExtension(const std::wstring& path, const std::wstring& extension);
// The running executable's full path.
std::wstring GetModulePath();
// From now on every DLL the process loads by name comes from the system
// folder, never from the program's own (a download folder, where anything
// may lie beside it). DLLs the system already loaded, and those it loads for
// the program's own imports before it runs, are not affected.
bool LoadOnlySystemDlls();
// The full path of a relative, drive-relative or slash-separated one; the
// path itself when the platform cannot make it full.
std::wstring GetFullPath(const std::wstring& path);
// A path as the user gave it, resolved against this process's current folders.
CItemPath ResolveItemPath(const std::wstring& given);
// A full path in the form that file calls accept at any length: long ones get
// the \\?\ prefix (short ones stay as they are).
std::wstring ExtendedPath(const std::wstring& path);
// A full path in the form that file calls take literally, at any length.
std::wstring LiteralPath(const std::wstring& path);
