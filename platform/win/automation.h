// COM automation of another program in the shape the plug-in uses it: a server found by its
// ProgID in the registry, started as a local server, and driven through the host's automation
// interface (application, its documents, a document). Objects are reference counted: every
// object handed out is released with Release.
#pragma once
#include <string>
#include "win/types.h"

using HRESULT = LONG;
constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = HRESULT(0x80004005);
constexpr HRESULT E_INVALIDARG = HRESULT(0x80070057);
constexpr HRESULT REGDB_E_CLASSNOTREG = HRESULT(0x80040154);
constexpr HRESULT CO_E_CLASSSTRING = HRESULT(0x800401F3);
constexpr HRESULT CO_E_SERVER_EXEC_FAILURE = HRESULT(0x80080005);
inline bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
inline bool FAILED(HRESULT hr) { return hr < 0; }

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;

// A class id in its registry form, "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}".
struct CLSID {
    std::string text;
};

enum AcWindowState { acNorm = 1, acMin = 2, acMax = 3 };

class IAcadDocument {
public:
    virtual HRESULT put_WindowState(AcWindowState state) = 0;
    virtual DWORD Release() = 0;

protected:
    virtual ~IAcadDocument() = default;
};

class IAcadDocuments {
public:
    virtual HRESULT Open(const std::string& name, bool readOnly, IAcadDocument** document) = 0;
    virtual DWORD Release() = 0;

protected:
    virtual ~IAcadDocuments() = default;
};

class IAcadApplication {
public:
    virtual HRESULT put_Visible(bool visible) = 0;
    virtual HRESULT get_Documents(IAcadDocuments** documents) = 0;
    // The main window's place in screen coordinates.
    virtual HRESULT put_WindowLeft(LONG left) = 0;
    virtual HRESULT put_WindowTop(LONG top) = 0;
    virtual HRESULT put_Width(LONG width) = 0;
    virtual HRESULT put_Height(LONG height) = 0;
    virtual HRESULT put_WindowState(AcWindowState state) = 0;
    virtual DWORD Release() = 0;

protected:
    virtual ~IAcadApplication() = default;
};

// The class id registered for a ProgID; CO_E_CLASSSTRING when none is.
HRESULT CLSIDFromProgID(const std::string& progId, CLSID* clsid);
// Starts the class's server (`context` must allow a local server) and hands out its application
// object; REGDB_E_CLASSNOTREG when the class has no server, CO_E_SERVER_EXEC_FAILURE when it
// cannot be started.
HRESULT CoCreateInstance(const CLSID& clsid, void* outer, DWORD context, IAcadApplication** application);
