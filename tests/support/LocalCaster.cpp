#include "LocalCaster.h"

#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <netinet/in.h>
#include <random>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace vsx::test {

std::string findProgram(const std::string& name)
{
    const char* path = std::getenv("PATH");
    const std::string dirs = path ? path : "/usr/bin:/bin";
    for (std::size_t pos = 0; pos <= dirs.size();) {
        std::size_t end = dirs.find(':', pos);
        if (end == std::string::npos) end = dirs.size();
        const std::string candidate = dirs.substr(pos, end - pos) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        pos = end + 1;
    }
    return {};
}

namespace {

// The low end of the range the kernel hands out for sockets bound to port 0.
int ephemeralPortsFrom()
{
    int low = 32768, high = 60999;
    if (FILE* f = std::fopen("/proc/sys/net/ipv4/ip_local_port_range", "r")) {
        if (std::fscanf(f, "%d %d", &low, &high) != 2) low = 32768;
        std::fclose(f);
    }
    return low;
}

sockaddr_in loopback(int port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(std::uint16_t(port));
    return a;
}

// Binds a socket to the port on 127.0.0.1 (0: one the kernel picks) and closes it again; the
// port it was bound to, or 0 when the port is taken.
int bindAndRelease(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = loopback(port);
    socklen_t len = sizeof a;
    int bound = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0
        && ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        bound = ntohs(a.sin_port);
    ::close(fd);
    return bound;
}

} // namespace

// The port is closed again before str2str binds it. Taken from below the kernel's ephemeral range,
// no server or client socket of another test (all bound to port 0) can be given it meanwhile.
int freeLoopbackPort()
{
    static std::mt19937 pick{std::random_device{}()};
    const int below = ephemeralPortsFrom();
    if (below > 12000) {
        std::uniform_int_distribution<int> port(10000, below - 1);
        for (int tries = 0; tries < 100; ++tries)
            if (const int free = bindAndRelease(port(pick))) return free;
    }
    return bindAndRelease(0);
}

bool acceptsConnections(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in a = loopback(port);
    const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

LocalCaster::LocalCaster() = default;

LocalCaster::~LocalCaster()
{
    stopped_ = true;
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        if (!waitUntil([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }, 3000)) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
        }
    }
    feeder_.reset();
}

bool LocalCaster::Start(std::string& whyNot)
{
    const std::string program = findProgram("str2str");
    if (program.empty()) {
        whyNot = "str2str (package rtklib) is not installed; the real-caster test is skipped";
        return false;
    }
    feeder_.emplace([this](LoopbackPeer& peer, int) { feed(peer); });
    port_ = freeLoopbackPort();
    std::vector<std::string> args = {program, "-in", "tcpcli://127.0.0.1:" + std::to_string(feeder_->port()), "-out",
                                     "ntripc://user:pass@:" + std::to_string(port_) + "/TEST", "-b", "1"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    if (pid_ <= 0) {
        whyNot = "str2str could not be started";
        return false;
    }
    if (!waitUntil([&] { return feeder_->connections() >= 1 && acceptsConnections(port_); }, 10000)) {
        whyNot = "str2str did not come up";
        return false;
    }
    return true;
}

void LocalCaster::Send(std::string bytes)
{
    std::lock_guard lock(mutex_);
    for (std::size_t pos = 0; pos < bytes.size(); pos += 1024) queue_.push_back(bytes.substr(pos, 1024));
}

bool LocalCaster::SentAll() const
{
    std::lock_guard lock(mutex_);
    return queue_.empty();
}

std::string LocalCaster::Uploads() const
{
    std::lock_guard lock(mutex_);
    return uploads_;
}

void LocalCaster::feed(LoopbackPeer& peer)
{
    while (!stopped_.load()) {
        std::optional<std::string> piece;
        {
            std::lock_guard lock(mutex_);
            if (!queue_.empty()) piece = queue_.front();
        }
        if (piece) {
            if (!peer.Send(*piece)) return; // str2str went away; a new connection takes over
            std::lock_guard lock(mutex_);
            queue_.pop_front();
        }
        const std::string back = peer.ReadFor(piece ? 5 : 20);
        std::lock_guard lock(mutex_);
        uploads_ += back;
    }
}

} // namespace vsx::test
