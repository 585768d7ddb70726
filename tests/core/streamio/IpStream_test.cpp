#include "streamio/IpStream.h"

#include <gtest/gtest.h>

#include <future>
#include <string>
#include <thread>

#include "streamio/FileException.h"
#include "streamio/IpSocket.h"
#include "streamio/StreamErrors.h"
#include "streamio/StreamFactory.h"

using namespace StreamIO;

namespace {

constexpr std::uint32_t kReadWrite = kOpenRead | kOpenWrite;

std::string Read(CIoStream& s, std::size_t n) {
    std::string out(n, '\0');
    out.resize(s.Read(out.data(), n));
    return out;
}

void Write(CIoStream& s, std::string_view bytes) {
    ASSERT_EQ(s.Write(bytes.data(), bytes.size()), bytes.size());
}

// A listening stream on a port the system picks, and its address for a client.
struct SServer {
    CIpStream stream;
    std::string address;
    explicit SServer(std::uint32_t flags = kReadWrite) {
        stream.Open("IP::0", flags);
        address = "IP:127.0.0.1:" + std::to_string(stream.ListeningPort());
    }
};

}  // namespace

TEST(IpName, HostAndPortFromTheName) {
    struct Case {
        const char* name;
        bool valid;
        const char* host;
        const char* port;
    };
    const Case cases[] = {
        {"IP:192.0.2.10:4001", true, "192.0.2.10", "4001"},
        {"ip:hammer-bridge.lab:3728", true, "hammer-bridge.lab", "3728"},
        {"localhost:23", true, "localhost", "23"},
        {"IP::4001", true, "", "4001"},  // no host: listen
        {"4001", true, "", "4001"},
        {"IP:x:host:99", true, "host", "99"},  // two colons: the host lies between them
        {"IP:host", false, "", ""},
        {"IP:host:", false, "", ""},
        {"IP:host:65536", false, "", ""},
        {"IP:host:4a", false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto address = ParseIpName(c.name);
        ASSERT_EQ(address.has_value(), c.valid);
        if (!c.valid) continue;
        EXPECT_EQ(address->host, c.host);
        EXPECT_EQ(address->port, c.port);
    }
    EXPECT_TRUE(IsIpName("iP:1:2"));
    EXPECT_FALSE(IsIpName("/dev/ttyUSB0"));
}

TEST(IpStream, TcpClientAndServerCarryBytesBothWays) {
    SServer server;
    ASSERT_NE(server.stream.ListeningPort(), 0);
    // The factory opens a client for an "IP:" name; the server takes the
    // connection at its first read.
    auto client = CreateStream(server.address, kReadWrite);
    ASSERT_NE(dynamic_cast<CIpStream*>(client.get()), nullptr);
    EXPECT_EQ(client->GetName(), server.address.substr(3));
    ASSERT_TRUE(server.stream.SetTimeouts(2000, 2000));
    Write(*client, "ping");
    EXPECT_EQ(Read(server.stream, 4), "ping");
    Write(server.stream, std::string(100000, 'x'));
    ASSERT_TRUE(client->SetTimeouts(5000, 2000));
    EXPECT_EQ(Read(*client, 100000), std::string(100000, 'x'));

    // Pending bytes are counted and can be thrown away.
    Write(server.stream, "noise");
    for (int i = 0; i < 200 && client->GetInputCount() < 5; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(client->GetInputCount(), 5u);
    client->ClearInput();
    EXPECT_EQ(client->GetInputCount(), 0u);
}

TEST(IpStream, TimeoutsAndAPeerThatLeftAreReportedNotRaised) {
    SServer server;
    auto client = CreateStream(server.address, kReadWrite);
    client->SetTimeouts(100, 100);
    char byte = 0;
    EXPECT_EQ(client->Read(&byte, 1), 0u);
    EXPECT_EQ(client->GetLastError(), kErrTimeout);

    // The server side goes away: the client's read ends with "no data".
    server.stream.SetTimeouts(1000, 1000);
    Write(*client, "x");
    EXPECT_EQ(Read(server.stream, 1), "x");
    server.stream.Close();
    client->SetTimeouts(1000, 100);
    EXPECT_EQ(client->Read(&byte, 1), 0u);
    EXPECT_EQ(client->GetLastError(), kErrEndOfData);
}

TEST(IpStream, FailuresRaiseWithTheSocketCodeAndTheName) {
    // A port nobody listens on (taken from a server that is closed again).
    std::string address;
    {
        SServer closed;
        address = closed.address;
    }
    CIpStream stream;
    try {
        stream.Open(address, kReadWrite);
        FAIL() << "opened " << address;
    } catch (const CFileException& e) {
        EXPECT_EQ(e.Code(), kErrConnRefused);
        EXPECT_NE(std::string(e.what()).find(address.substr(3)), std::string::npos) << e.what();
    }
    EXPECT_FALSE(stream.IsOpen());
    // A listening port that is taken.
    SServer first;
    CIpStream second;
    try {
        second.Open("IP::" + std::to_string(first.stream.ListeningPort()), kReadWrite);
        FAIL();
    } catch (const CFileException& e) {
        EXPECT_EQ(e.Code(), kErrAddrInUse);
    }
    EXPECT_EQ(SocketErrorFromErrno(ECONNRESET), kErrConnReset);
    EXPECT_EQ(SocketErrorFromErrno(ENOENT), kErrNotFound);  // not a socket error: the common table
}

TEST(IpStream, AServerWaitsForTheNextPeerWhenOneLeaves) {
    SServer server;
    server.stream.SetTimeouts(2000, 1000);
    {
        auto first = CreateStream(server.address, kReadWrite);
        Write(*first, "1");
        EXPECT_EQ(Read(server.stream, 1), "1");
    }
    // The first peer closed; the server listens again on the same port (a
    // time-out while nobody is there) and takes the next one.
    char byte = 0;
    server.stream.SetTimeouts(200, 1000);
    EXPECT_EQ(server.stream.Read(&byte, 1), 0u);
    auto second = CreateStream(server.address, kReadWrite);
    Write(*second, "2");
    server.stream.SetTimeouts(2000, 1000);
    EXPECT_EQ(Read(server.stream, 1), "2");
}

TEST(IpStream, UdpHandsOutADatagramOverSeveralReadsAndRepliesToItsSender) {
    // A bound UDP endpoint: the first free port of a small range.
    CIpStream bound;
    std::uint16_t port = 0;
    for (std::uint16_t p = 47311; p < 47400 && port == 0; ++p) {
        try {
            bound.Open("IP::" + std::to_string(p), kReadWrite | kOpenUdp);
            port = p;
        } catch (const CFileException&) {
        }
    }
    ASSERT_NE(port, 0);
    CIpStream client;
    client.Open("IP:127.0.0.1:" + std::to_string(port), kReadWrite | kOpenUdp);
    Write(client, "datagram");
    bound.SetTimeouts(2000, 1000);
    EXPECT_EQ(Read(bound, 4), "data");
    EXPECT_EQ(bound.GetInputCount(), 4u);
    EXPECT_EQ(Read(bound, 4), "gram");
    Write(bound, "reply");
    client.SetTimeouts(2000, 1000);
    EXPECT_EQ(Read(client, 5), "reply");
}

TEST(IpStream, InterruptEndsAWaitOnAnotherThread) {
    SServer server;
    auto client = CreateStream(server.address, kReadWrite);
    auto* ip = dynamic_cast<CIpStream*>(client.get());
    ASSERT_NE(ip, nullptr);
    client->SetTimeouts(-1, 100);  // would wait for ever
    auto reader = std::async(std::launch::async, [&] {
        char byte = 0;
        return client->Read(&byte, 1);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ip->Interrupt();
    EXPECT_EQ(reader.get(), 0u);
}

TEST(IpStream, CancelIoDropsTheConnectionAndMakesANewOne) {
    SServer server;
    auto client = CreateStream(server.address, kReadWrite);
    server.stream.SetTimeouts(2000, 1000);
    Write(*client, "old");
    EXPECT_EQ(Read(server.stream, 3), "old");
    Write(server.stream, "stale reply");
    // The server keeps reading: it sees the old connection end, listens again
    // and takes the new one.
    server.stream.SetTimeouts(200, 1000);
    auto received = std::async(std::launch::async, [&] {
        std::string got;
        for (int i = 0; i < 50 && got.size() < 3; ++i) got += Read(server.stream, 3 - got.size());
        return got;
    });
    ASSERT_TRUE(client->CancelIo());
    Write(*client, "new");
    EXPECT_EQ(received.get(), "new");
    // The stale reply went with the old connection.
    char byte = 0;
    client->SetTimeouts(100, 100);
    EXPECT_EQ(client->Read(&byte, 1), 0u);
    EXPECT_EQ(client->GetLastError(), kErrTimeout);
}
