// The reference-counted module loader: every load takes one reference on the
// module's handle, every release gives one back (and frees the library once).
#pragma once

// Loads a library by name. A name that is not absolute (no ':', no leading
// separator) is taken relative to the current directory; separators become
// '\'. When that fails, ".dll" is appended unless the path has it; last, the
// bare file name goes through the system's search order. Null when nothing
// loads.
void* LoadSharedModule(const char* pszName);

// Gives back one reference of a handle from LoadSharedModule and frees the
// library once. Null does nothing.
void ReleaseSharedModule(void* hModule);

// References held on the handle (0 when unknown), for tests and diagnostics.
int SharedModuleReferences(void* hModule);
