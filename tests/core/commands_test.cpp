// The plug-in's commands typed on the host's command line.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include "arx/aced.h"
#include "arx/docman.h"
#include "sim/host/dwgfile.h"
#include "support/machine_fixture.h"
#include "win/module.h"

namespace {

class Commands : public kvtest::MachineFixture {
protected:
    void SetUp() override {
        MachineFixture::SetUp();
        ASSERT_TRUE(sim::host::loadModule(machine.moduleFolder + "Korvane.arx")) << transcript;
    }
    // Reads a setting through the loaded plug-in, writing it first when a value is given.
    static std::string pluginSetting(const char* key, const char* value = nullptr) {
        using Fn = int (*)(const char*, const char*, char*, int);
        HMODULE m = LoadLibrary(sim::host::loadedModules().front());
        char out[256] = {};
        reinterpret_cast<Fn>(GetProcAddress(m, "AcKvSetting"))(key, value, out, sizeof out);
        FreeLibrary(m);
        return out;
    }
};

// A listening socket on the loopback, closed by the destructor.
struct Listener {
    int fd = -1;
    int port = 0;
    Listener() {
        fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        listen(fd, 4);
        socklen_t len = sizeof a;
        getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
        port = ntohs(a.sin_port);
    }
    ~Listener() { close(fd); }
};

TEST_F(Commands, WebServerCheck) {
    int closedPort = 0;
    {
        Listener gone;
        closedPort = gone.port;
    }
    Listener server;
    pluginSetting("Server Address", "127.0.0.1");
    pluginSetting("Server Port", std::to_string(server.port).c_str());
    pluginSetting("Cloudfold Use", "1");

    // Reachable: nothing visible happens and web storage stays on.
    transcript.clear();
    sim::host::typeLine("KV_WOPEN");
    EXPECT_EQ(transcript.find("Cloudfold-Server"), std::string::npos) << transcript;
    EXPECT_EQ(pluginSetting("Cloudfold Use"), "1");

    // Unreachable: the error line, and web storage switched off.
    pluginSetting("Server Port", std::to_string(closedPort).c_str());
    for (const char* cmd : {"KV_WSAVE", "KV_WSAVEAS", "KV_WINSERT", "KV_WPLUGIN"}) {
        pluginSetting("Cloudfold Use", "1");
        transcript.clear();
        sim::host::typeLine(cmd);
        EXPECT_NE(transcript.find("\n*** ;error : Cloudfold-Server not found. ***\n"), std::string::npos) << cmd;
        EXPECT_EQ(pluginSetting("Cloudfold Use"), "0") << cmd;
    }
}

TEST_F(Commands, OpenByName) {
    sim::dwg::Drawing d;
    std::string err;
    const std::string path = machine.drawings + "plan b.dwg";
    ASSERT_TRUE(sim::dwg::writeDrawingFile(path, d, sim::dwg::Release::R2013, sim::dwg::Kind::Dwg, &err)) << err;
    sim::host::queueInput(path);
    sim::host::typeLine("KV_OPEN");
    ASSERT_EQ(acDocManager->documentCount(), 1) << transcript;
    EXPECT_EQ(acDocManager->curDocument()->fileName(), path);

    // From a drawing's command line the open goes through the application context.
    sim::host::queueInput(path);
    sim::host::typeLine("KV_OPEN");
    EXPECT_EQ(acDocManager->documentCount(), 1);   // the same drawing is not opened twice
    EXPECT_EQ(sim::host::resourceStackDepth(), 0);
}

TEST_F(Commands, CancelledOpenPromptOpensNothing) {
    sim::host::typeLine("KV_OPEN");
    EXPECT_NE(transcript.find("\nInput cancel"), std::string::npos) << transcript;
    EXPECT_EQ(acDocManager->documentCount(), 0);
}

TEST_F(Commands, AllNineteenAreRegisteredInOneGroup) {
    std::string group;
    int flags = -1;
    for (const char* name : {"KV_SHOW", "KV_HIDE", "KV_ABOUT", "KV_SCRIPT", "KV_CLOSE", "KV_CFG", "KV_LOPEN",
                             "KV_LCLOSE", "KV_WOPEN", "KV_WSAVE", "KV_WSAVEAS", "KV_WINSERT", "KV_WPLUGIN",
                             "KV_COMMANDLOOP", "KV_OPENCURFOLDER", "KV_LINKFOLDEROPEN", "KV_CAKEDWG", "KV_BSCRIPT",
                             "KV_OPEN"}) {
        ASSERT_TRUE(acedRegCmds->lookupCmd(name, &group, &flags)) << name;
        EXPECT_EQ(group, "KORVANE");
    }
    acedRegCmds->lookupCmd("KV_SHOW", nullptr, &flags);
    EXPECT_EQ(flags, 3);
    acedRegCmds->lookupCmd("KV_SCRIPT", nullptr, &flags);
    EXPECT_EQ(flags, 1);
    acedRegCmds->lookupCmd("KV_LOPEN", nullptr, &flags);
    EXPECT_EQ(flags, 0);
}

}  // namespace
