#pragma once

#include <boost/intrusive_ptr.hpp>

#include <unknwn.h>

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
class ComApartment {
public:
    ComApartment() : result_(CoInitialize(nullptr)) {}
    ~ComApartment()
    {
        if (SUCCEEDED(result_))
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT result_;
};
