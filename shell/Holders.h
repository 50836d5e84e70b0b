#pragma once
// What the program owns of the system, each released by its own call when
// its holder goes: handles, searches, views, shell memory, COM objects.

#include "shell/Held.h"

#include <boost/intrusive_ptr.hpp>

#include <windows.h>
#include <objbase.h>
#include <unknwn.h>

#include <utility>

// A file or folder from CreateFileW: INVALID_HANDLE_VALUE is none.
struct FileHandleTraits {
    using Value = HANDLE;
    static Value Invalid() { return INVALID_HANDLE_VALUE; }
    static void Release(Value handle) { CloseHandle(handle); }
};
// Any other kernel handle (a mapping, a process, a thread): null is none.
struct KernelHandleTraits {
    using Value = HANDLE;
    static Value Invalid() { return nullptr; }
    static void Release(Value handle) { CloseHandle(handle); }
};
struct FindTraits {
    using Value = HANDLE;
    static Value Invalid() { return INVALID_HANDLE_VALUE; }
    static void Release(Value search) { FindClose(search); }
};
struct MappedViewTraits {
    using Value = void*;
    static Value Invalid() { return nullptr; }
    static void Release(Value view) { UnmapViewOfFile(view); }
};
// Memory the shell hands out (item ID lists): the COM task allocator's.
struct ShellMemoryTraits {
    using Value = void*;
    static Value Invalid() { return nullptr; }
    static void Release(Value memory) { CoTaskMemFree(memory); }
};

using CFileHandle = CHeld<FileHandleTraits>;
using CKernelHandle = CHeld<KernelHandleTraits>;
using CFindHandle = CHeld<FindTraits>;
using CMappedView = CHeld<MappedViewTraits>;
using CShellMemory = CHeld<ShellMemoryTraits>;

// COM objects held by boost::intrusive_ptr: AddRef and Release through IUnknown.
inline void intrusive_ptr_add_ref(IUnknown* object)
{
    object->AddRef();
}

inline void intrusive_ptr_release(IUnknown* object)
{
    object->Release();
}

// Takes over a reference that a COM call handed out.
template <class Interface>
boost::intrusive_ptr<Interface> Adopt(Interface* object)
{
    return boost::intrusive_ptr<Interface>(object, false);
}

// COM for this thread for as long as it lives; uninitialised whatever
// CoInitialize said, as every successful or S_FALSE call needs.
class CComApartment {
public:
    CComApartment() : result_(CoInitialize(nullptr)) {}
    ~CComApartment()
    {
        if (SUCCEEDED(result_))
            CoUninitialize();
    }
    CComApartment(const CComApartment&) = delete;
    CComApartment& operator=(const CComApartment&) = delete;

private:
    HRESULT result_;
};
