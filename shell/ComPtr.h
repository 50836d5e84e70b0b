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
