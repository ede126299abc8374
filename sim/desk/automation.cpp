// COM automation of a second host instance. The class's local server is a program started with
// the command line registered for it (for the host: another korvane-host reading a script from
// its standard input); the application, documents and document objects turn each call into a
// script line for it. Calls that cannot be carried out fail as COM calls do.
#include "sim/desk/automation.h"

#include <cstring>
#include <filesystem>
#include <vector>
#include "sim/desk/process.h"
#include "win/automation.h"
#include "win/monitor.h"
#include "win/process.h"
#include "win/registry.h"

namespace fs = std::filesystem;

namespace sim::desk {

namespace {

const std::string kClasses = "SOFTWARE\\Classes\\";

std::string readDefault(const std::string& key) {
    HKEY k = nullptr;
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return {};
    DWORD type = 0, size = 0;
    std::string value;
    if (RegQueryValueEx(k, "", &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ && size > 0) {
        std::vector<BYTE> data(size);
        if (RegQueryValueEx(k, "", &type, data.data(), &size) == ERROR_SUCCESS)
            value.assign(reinterpret_cast<const char*>(data.data()), strnlen(reinterpret_cast<const char*>(data.data()), size));
    }
    RegCloseKey(k);
    return value;
}

void writeDefault(const std::string& key, const std::string& value) {
    HKEY k = nullptr;
    if (RegCreateKeyEx(HKEY_LOCAL_MACHINE, key, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
    RegSetValueEx(k, "", REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), DWORD(value.size() + 1));
    RegCloseKey(k);
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

// The server process, shared by the objects it handed out; its input closes with the last one.
struct Server {
    HANDLE process = nullptr;
    int references = 0;
    bool send(const std::string& line) { return writeProcessInput(process, line + "\n"); }
    void addRef() { ++references; }
    DWORD release() {
        const DWORD left = DWORD(--references);
        if (left == 0) {
            closeProcessInput(process);
            CloseHandle(process);
            delete this;
        }
        return left;
    }
};

// An automation object of the server: it keeps the server alive until it is released.
template <class Interface>
class ServerObject : public Interface {
public:
    explicit ServerObject(Server* server) : server_(server) { server_->addRef(); }
    DWORD Release() override {
        Server* server = server_;
        delete this;
        return server->release();
    }

protected:
    HRESULT send(const std::string& line) { return server_->send(line) ? S_OK : E_FAIL; }
    static const char* stateName(AcWindowState state) {
        return state == acMax ? "max" : state == acMin ? "min" : state == acNorm ? "normal" : nullptr;
    }
    Server* server_;
};

class Document : public ServerObject<IAcadDocument> {
public:
    using ServerObject::ServerObject;
    HRESULT put_WindowState(AcWindowState state) override {
        const char* name = stateName(state);
        return name ? send(std::string("@drawing-window ") + name) : E_INVALIDARG;
    }
};

class Documents : public ServerObject<IAcadDocuments> {
public:
    using ServerObject::ServerObject;
    HRESULT Open(const std::string& name, bool readOnly, IAcadDocument** document) override {
        if (!document) return E_INVALIDARG;
        *document = nullptr;
        std::error_code ec;
        if (name.empty() || !fs::is_regular_file(name, ec)) return E_FAIL;
        if (FAILED(send("@open " + quoted(name) + (readOnly ? " readonly" : "")))) return E_FAIL;
        *document = new Document(server_);
        return S_OK;
    }
};

class Application : public ServerObject<IAcadApplication> {
public:
    using ServerObject::ServerObject;
    HRESULT put_Visible(bool visible) override { return send(std::string("@frame ") + (visible ? "show" : "hide")); }
    HRESULT get_Documents(IAcadDocuments** documents) override {
        if (!documents) return E_INVALIDARG;
        *documents = new Documents(server_);
        return S_OK;
    }
    HRESULT put_WindowLeft(LONG v) override { return place(&rect_.left, v); }
    HRESULT put_WindowTop(LONG v) override { return place(&rect_.top, v); }
    HRESULT put_Width(LONG v) override { return v < 0 ? E_INVALIDARG : place(&rect_.right, v); }
    HRESULT put_Height(LONG v) override { return v < 0 ? E_INVALIDARG : place(&rect_.bottom, v); }
    HRESULT put_WindowState(AcWindowState state) override {
        const char* name = stateName(state);
        return name ? send(std::string("@frame ") + name) : E_INVALIDARG;
    }

private:
    // Left, top, width and height (kept in the rectangle's fields) each move the frame.
    HRESULT place(LONG* field, LONG value) {
        *field = value;
        return send("@frame " + std::to_string(rect_.left) + " " + std::to_string(rect_.top) + " " +
                    std::to_string(rect_.right) + " " + std::to_string(rect_.bottom));
    }
    RECT rect_{0, 0, 1024, 768};
};

}  // namespace

void registerAutomationServer(const std::string& progId, const std::string& clsid, const std::string& commandLine) {
    writeDefault(kClasses + progId + "\\CLSID", clsid);
    writeDefault(kClasses + "CLSID\\" + clsid + "\\LocalServer32", commandLine);
}

}  // namespace sim::desk

HRESULT CLSIDFromProgID(const std::string& progId, CLSID* clsid) {
    if (!clsid || progId.empty()) return E_INVALIDARG;
    const std::string text = sim::desk::readDefault(sim::desk::kClasses + progId + "\\CLSID");
    if (text.empty()) return CO_E_CLASSSTRING;
    clsid->text = text;
    return S_OK;
}

HRESULT CoCreateInstance(const CLSID& clsid, void*, DWORD context, IAcadApplication** application) {
    if (!application) return E_INVALIDARG;
    *application = nullptr;
    if (!(context & CLSCTX_LOCAL_SERVER)) return REGDB_E_CLASSNOTREG;
    const std::string commandLine = sim::desk::readDefault(sim::desk::kClasses + "CLSID\\" + clsid.text + "\\LocalServer32");
    if (commandLine.empty()) return REGDB_E_CLASSNOTREG;
    STARTUPINFO startup;
    PROCESS_INFORMATION info;
    if (!CreateProcess(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return CO_E_SERVER_EXEC_FAILURE;
    CloseHandle(info.hThread);
    auto* server = new sim::desk::Server{info.hProcess, 0};
    // The second instance sees the same screens as this one.
    int monitors = 0;
    EnumDisplayMonitors([&](HMONITOR) {
        ++monitors;
        return true;
    });
    server->addRef();
    const bool ok = server->send("@monitors " + std::to_string(monitors));
    *application = new sim::desk::Application(server);
    server->release();
    if (!ok) {
        (*application)->Release();
        *application = nullptr;
        return CO_E_SERVER_EXEC_FAILURE;
    }
    return S_OK;
}
