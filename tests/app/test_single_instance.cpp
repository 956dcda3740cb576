// The single-instance lock and socket: where they live, and who may answer.
#include "os_info_u.h"
#include "single_instance_u.h"
#include "special_folders_u.h"
#include "env_test_util.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
constexpr uid_t kNobody = 65534;

struct TStat
{
    int Mode = -1;
    uid_t Owner = 0;
};

TStat StatOf(const QString& path)
{
    struct stat st{};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) return {};
    return {int(st.st_mode & 07777), st.st_uid};
}

// Restores the environment variables a test changes.
class TEnvGuard
{
public:
    explicit TEnvGuard(std::initializer_list<const char*> names)
    {
        for (const char* n : names) FSaved.push_back({n, qgetenv(n), qEnvironmentVariableIsSet(n)});
    }
    ~TEnvGuard()
    {
        for (const auto& s : FSaved) {
            if (s.set) qputenv(s.name, s.value);
            else qunsetenv(s.name);
        }
    }

private:
    struct TSaved
    {
        const char* name;
        QByteArray value;
        bool set;
    };
    std::vector<TSaved> FSaved;
};
} // namespace

TEST(SingleInstance, WithoutASessionFolderTheLockAndSocketGoToAPrivateFolder)
{
    TEnvGuard guard({"XDG_RUNTIME_DIR", "TMPDIR", "XDG_CACHE_HOME"});
    const QString base = TestEnv::FreshDataRoot();
    const QString tmp = base + "/tmp";
    ASSERT_TRUE(QDir().mkpath(tmp));
    ::chmod(QFile::encodeName(tmp).constData(), 01777); // like /tmp: every user may make names here
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", tmp.toUtf8());
    qputenv("XDG_CACHE_HOME", (base + "/cache").toUtf8());

    const QString expected = tmp + "/kuruten3-" + QString::number(::geteuid());
    ASSERT_EQ(SpecialFolders::Runtime(), expected);
    EXPECT_EQ(StatOf(expected).Mode, 0700);
    EXPECT_EQ(StatOf(expected).Owner, ::geteuid());

    // A folder of this user's that was left open is closed again.
    ::chmod(QFile::encodeName(expected).constData(), 0777);
    EXPECT_EQ(SpecialFolders::Runtime(), expected);
    EXPECT_EQ(StatOf(expected).Mode, 0700);

    // Named after the executable and the user.
    TSingleInstance instance(TSingleInstance::InstanceName("kuruten3"), expected);
    EXPECT_EQ(instance.SocketPath(), expected + "/kuruten3-" + OsInfo::UserName() + ".sock");
    ASSERT_TRUE(instance.TryAcquire());
    EXPECT_TRUE(QFile::exists(expected + "/kuruten3-" + OsInfo::UserName() + ".lock"));
    instance.Release();

    // Another user made the folder first: it is not used.
    if (::geteuid() == 0) {
        QDir(expected).removeRecursively();
        ASSERT_EQ(::mkdir(QFile::encodeName(expected).constData(), 0777), 0);
        ASSERT_EQ(::chown(QFile::encodeName(expected).constData(), kNobody, kNobody), 0);
        const QString other = SpecialFolders::Runtime();
        EXPECT_NE(other, expected);
        EXPECT_TRUE(other.startsWith(base + "/cache/")) << other.toStdString();
        EXPECT_EQ(StatOf(other).Mode, 0700);
        EXPECT_EQ(StatOf(other).Owner, ::geteuid());
    }
}

TEST(SingleInstance, HandOffIsNotSentToAListenerOfAnotherUser)
{
    if (::geteuid() != 0) GTEST_SKIP() << "a listener of another user needs root";
    // The test's own folders are closed to other users: a folder of its own
    // in the temp folder, open to everyone.
    QTemporaryDir open(QDir::tempPath() + "/kuruten-test-open-XXXXXX");
    ASSERT_TRUE(open.isValid());
    const QString dir = open.path();
    ::chmod(QFile::encodeName(dir).constData(), 0777);
    const QString name = "kuruten3-someone";
    const QByteArray path = QFile::encodeName(dir + "/" + name + ".sock");

    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        // Another user listening where a copy of ours is expected; it exits 1
        // when anything reaches it. Only plain system calls after fork.
        ::alarm(30);
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(2);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, path.constData(), sizeof addr.sun_path - 1);
        if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 1) != 0) ::_exit(3);
        [[maybe_unused]] const auto w = ::write(ready[1], "r", 1);
        const int c = ::accept(fd, nullptr, nullptr);
        char buf[256];
        const ssize_t n = ::read(c, buf, sizeof buf);
        ::_exit(n > 0 ? 1 : 0);
    }
    ::close(ready[1]); // a listener that fails ends the read below
    char c;
    const auto got = ::read(ready[0], &c, 1);
    ::close(ready[0]);
    if (got != 1) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        FAIL() << "the other user's listener did not start, status " << status;
    }

    THandOffPacket packet;
    packet.Handle = 1;
    packet.DwData = 1;
    packet.Data = "0312345678";
    EXPECT_EQ(TSingleInstance::Send(name, dir, packet, 10000), TSingleInstance::TSendResult::Foreign);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the other user's listener received the packet";
}
