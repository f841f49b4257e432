// The update check, its daily store, the pending deletions and the executable swap, on
// real files and against a loopback server of the tests' own.
#include "update/UpdateCheck.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "base/PlatformHosts.h"
#include "support/FaultHttpServer.h"
#include "support/SigningTool.h"
#include "update/DescriptorSigner.h"
#include "update/ExecutableSwap.h"
#include "update/PendingDeletions.h"

namespace {

using Reply = FaultHttpServer::Reply;

constexpr char kDescriptorPath[] = "/wd/qovan/ycjWDUpdate.htm";

bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class UpdateCheckTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(WriteFile(m_dir.filePath("fenlow"), "the running build"));
        m_subject.mode = StartMode::DirectSwitch;
        m_subject.descriptorAddress = QString::fromStdString(m_server.Url(kDescriptorPath));
        m_subject.descriptorFile = m_dir.filePath("ycjWDUpdate.htm");
        m_subject.executable = m_dir.filePath("fenlow");
        m_subject.timeFile = m_dir.filePath("key/UpdTime");
    }

    void Publish(const std::string &text) { m_server.Set(kDescriptorPath, Reply::With(200, text)); }

    QTemporaryDir m_dir;
    FaultHttpServer m_server;
    UpdateSubject m_subject;
};

TEST_F(UpdateCheckTest, ADifferentVersionIsOfferedWithItsAddress)
{
    Publish("[VerKey]\r\nycj=0123456789abcdef0123456789abcdef\r\nUpdAddr=http://res.example/new\r\n");
    UpdateDescriptor offer;
    bool reached = false;
    EXPECT_TRUE(CheckForUpdateOf(m_subject, false, &offer, &reached));
    EXPECT_TRUE(reached);
    EXPECT_EQ(offer.version, "0123456789abcdef0123456789abcdef");
    EXPECT_EQ(offer.address, "http://res.example/new");
    EXPECT_FALSE(QFile::exists(m_subject.descriptorFile));
}

TEST_F(UpdateCheckTest, TheSameVersionInUpperCaseIsNoUpdate)
{
    const QString local = FileMd5(m_subject.executable);
    ASSERT_EQ(local, QString::fromLatin1(QCryptographicHash::hash("the running build", QCryptographicHash::Md5).toHex()));
    Publish("[verkey]\nYCJ = " + local.toUpper().toStdString() + "\nUpdAddr=http://res.example/new\n");
    bool reached = false;
    EXPECT_FALSE(CheckForUpdateOf(m_subject, true, nullptr, &reached));
    EXPECT_TRUE(reached);
}

TEST_F(UpdateCheckTest, ADescriptorWithoutAddressStillOffers)
{
    Publish("[VerKey]\nycj=ffff\n");
    UpdateDescriptor offer;
    EXPECT_TRUE(CheckForUpdateOf(m_subject, true, &offer));
    EXPECT_TRUE(offer.address.isEmpty());
}

TEST_F(UpdateCheckTest, TheFirstOfRepeatedKeysWinsAndValuesAreCutToTheirBuffers)
{
    const std::string longAddress = "http://res.example/" + std::string(600, 'a');
    Publish("[VerKey]\nycj=first\nUpdAddr=" + longAddress + "\nycj=second\nUpdAddr=http://res.example/later\n"
            "[verkey]\nYCJ=third\n");
    UpdateDescriptor offer;
    EXPECT_TRUE(CheckForUpdateOf(m_subject, true, &offer));
    EXPECT_EQ(offer.version, "first");
    EXPECT_EQ(offer.address, QString::fromStdString(longAddress.substr(0, 511)));

    Publish("[VerKey]\nycj=" + std::string(70, 'f') + "\n");
    EXPECT_TRUE(CheckForUpdateOf(m_subject, true, &offer));
    EXPECT_EQ(offer.version, QString(63, QLatin1Char('f')));
}

TEST_F(UpdateCheckTest, BrokenDescriptorsOfferNothingAndLeaveNoFile)
{
    Reply shorter = Reply::With(200, "[VerKey]\nycj=ffff\n");
    shorter.announced = 400;
    for (const Reply &reply : {Reply::With(404, "[VerKey]\nycj=ffff\n"), shorter, Reply::With(200, "\x01\x02garbage\xff"),
                               Reply::With(200, "[Other]\nycj=ffff\n"), Reply::With(200, "")}) {
        m_server.Set(kDescriptorPath, reply);
        bool reached = true;
        EXPECT_FALSE(CheckForUpdateOf(m_subject, true, nullptr, &reached)) << reply.body;
        EXPECT_FALSE(reached);
        EXPECT_FALSE(QFile::exists(m_subject.descriptorFile)) << reply.body;
    }
}

TEST_F(UpdateCheckTest, OnlyTheSwitchAndTheInstalledCopyCheckByThemselves)
{
    Publish("[VerKey]\nycj=ffff\n");
    for (StartMode mode : {StartMode::Plain, StartMode::WebSwitch, StartMode::Uninstall}) {
        m_subject.mode = mode;
        EXPECT_FALSE(CheckForUpdateOf(m_subject, false, nullptr));
    }
    EXPECT_EQ(m_server.Hits(kDescriptorPath), 0);
    m_subject.mode = StartMode::InstalledCopy;
    EXPECT_TRUE(CheckForUpdateOf(m_subject, false, nullptr));
    EXPECT_EQ(m_server.Hits(kDescriptorPath), 1);
    // The package manager updates a packaged copy: it never checks by itself.
    m_subject.packaged = true;
    for (StartMode mode : {StartMode::InstalledCopy, StartMode::DirectSwitch}) {
        m_subject.mode = mode;
        EXPECT_FALSE(CheckForUpdateOf(m_subject, false, nullptr));
    }
    EXPECT_EQ(m_server.Hits(kDescriptorPath), 1);
}

TEST_F(UpdateCheckTest, AnUpdateAppliedTodayStopsTheDailyCheckButNotTheForcedOne)
{
    Publish("[VerKey]\nycj=ffff\n");
    ASSERT_TRUE(RecordUpdateTime(m_subject.timeFile, QDateTime::currentDateTimeUtc()));
    EXPECT_FALSE(CheckForUpdateOf(m_subject, false, nullptr));
    EXPECT_EQ(m_server.Hits(kDescriptorPath), 0);
    EXPECT_TRUE(CheckForUpdateOf(m_subject, true, nullptr));
    EXPECT_EQ(m_server.Hits(kDescriptorPath), 1);
}

// Descriptors signed by the platform's tool (and once by the openssl command), then
// tampered with as a hostile network or a careless server would.
class DescriptorSignatureTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_platform = SigningTool::NewKeyPair(m_dir.path(), "platform.key");
        m_other = SigningTool::NewKeyPair(m_dir.path(), "other.key");
        ASSERT_FALSE(m_platform.publicKey.isEmpty());
        ASSERT_NE(m_platform.publicKey, m_other.publicKey);
        m_key = DescriptorKey::FromSetting(m_platform.publicKey);
        ASSERT_EQ(m_key.kind, DescriptorKey::Kind::Valid);
    }

    QByteArray Signed(const QByteArray &text) const { return SigningTool::Sign(m_platform.keyFile, text); }
    std::optional<QByteArray> Body(const QByteArray &bytes) const { return VerifiedDescriptorBody(bytes, m_key); }
    // `body` and a valid signature line over it, whatever it holds (the tool would refuse some).
    QByteArray SignedOver(const QByteArray &body) const
    {
        QFile key(m_platform.keyFile);
        EXPECT_TRUE(key.open(QIODevice::ReadOnly));
        const std::optional<DescriptorSigner> signer = DescriptorSigner::FromPem(key.readAll());
        EXPECT_TRUE(signer);
        return signer ? body + "Signature=" + signer->Sign(body).toBase64() + "\r\n" : QByteArray();
    }

    static constexpr char kLf[] = "[VerKey]\nycj=0123456789abcdef0123456789abcdef\nUpdAddr=http://res.example/new\n";
    static constexpr char kCrLf[] = "[VerKey]\r\nycj=0123456789abcdef\r\nUpdAddr=http://res.example/new\r\n";

    QTemporaryDir m_dir;
    SigningTool::KeyPair m_platform;
    SigningTool::KeyPair m_other;
    DescriptorKey m_key;
};

TEST_F(DescriptorSignatureTest, TheSignedBytesAreExactlyTheBytesBeforeTheSignatureLine)
{
    const QByteArray lf = Signed(kLf);
    ASSERT_TRUE(lf.startsWith(kLf));
    EXPECT_EQ(Body(lf), QByteArray(kLf));
    EXPECT_EQ(Body(Signed(kCrLf)), QByteArray(kCrLf));
    EXPECT_TRUE(Signed(kCrLf).endsWith("==\r\n"));
    // A last line without a line break gets one, which the signature covers.
    EXPECT_EQ(Body(Signed("[VerKey]\nycj=ff")), QByteArray("[VerKey]\nycj=ff\n"));
    // The signature line may lose its own line break.
    EXPECT_EQ(Body(lf.chopped(1)), QByteArray(kLf));
    // Without a key every descriptor reads as it is.
    EXPECT_EQ(VerifiedDescriptorBody(kLf, DescriptorKey{}), QByteArray(kLf));
    // The tool refuses to sign over a signature.
    EXPECT_TRUE(SigningTool::Sign(m_platform.keyFile, lf).isEmpty());
}

TEST_F(DescriptorSignatureTest, TheStandardToolsSignatureIsAccepted)
{
    const QString body = m_dir.filePath("body");
    QFile file(body);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(kCrLf) == qint64(qstrlen(kCrLf)));
    file.close();
    QProcess openssl;
    openssl.start("openssl", {"pkeyutl", "-sign", "-rawin", "-inkey", m_platform.keyFile, "-in", body});
    ASSERT_TRUE(openssl.waitForFinished(10000));
    const QByteArray signature = openssl.readAllStandardOutput();
    ASSERT_EQ(signature.size(), 64) << openssl.readAllStandardError().toStdString();
    const QByteArray descriptor = kCrLf + QByteArray("Signature=") + signature.toBase64() + "\r\n";
    EXPECT_EQ(Body(descriptor), QByteArray(kCrLf));
    EXPECT_EQ(descriptor, Signed(kCrLf));
}

TEST_F(DescriptorSignatureTest, EveryTamperedDescriptorIsRefused)
{
    const QByteArray good = Signed(kCrLf);
    const qsizetype lineStart = good.lastIndexOf("Signature=");
    const QByteArray line = good.mid(lineStart).trimmed();
    const QByteArray signature = QByteArray::fromBase64(line.mid(qstrlen("Signature=")));
    ASSERT_EQ(signature.size(), 64);
    QByteArray lfOnly = good;
    lfOnly.replace("\r\n", "\n");
    // The url-safe alphabet differs from the standard one in '-' and '_' alone: the case is
    // a descriptor whose signature holds a '+' or '/', signed over a counted line until one does.
    QByteArray urlSafe;
    for (int n = 0; urlSafe.isEmpty() && n < 100; ++n) {
        const QByteArray text = kCrLf + QByteArray("Try=") + QByteArray::number(n) + "\r\n";
        const QByteArray encoded = Signed(text).mid(text.size() + qstrlen("Signature=")).trimmed();
        if (encoded.contains('+') || encoded.contains('/'))
            urlSafe = text + "Signature=" + QByteArray::fromBase64(encoded).toBase64(QByteArray::Base64UrlEncoding) + "\r\n";
    }
    ASSERT_FALSE(urlSafe.isEmpty());
    const std::pair<const char *, QByteArray> cases[] = {
        {"unsigned", kCrLf},
        {"empty", ""},
        {"another key", SigningTool::Sign(m_other.keyFile, kCrLf)},
        {"truncated signature", good.left(lineStart) + line.chopped(4) + "\r\n"},
        {"signature without padding", good.left(lineStart) + line.chopped(2) + "\r\n"},
        {"signature in hex", good.left(lineStart) + "Signature=" + signature.toHex() + "\r\n"},
        {"signature in url-safe base64", urlSafe},
        {"signature of 63 bytes", good.left(lineStart) + "Signature=" + signature.left(63).toBase64() + "\r\n"},
        {"a line after the signature", good + "UpdAddr=http://evil.example/x\r\n"},
        {"a blank line after the signature", good + "\r\n"},
        {"a blank after the signature", good.chopped(2) + " \r\n"},
        {"a second signature line", good + line + "\r\n"},
        {"a signature line in the middle", good.left(lineStart) + line + "\r\n" + line + "\r\n"},
        {"a signed signature line", SignedOver("[VerKey]\r\n signature = x\r\n")},
        {"CR LF turned into LF", lfOnly},
        {"lower-case key name", good.left(lineStart) + "signature=" + line.mid(qstrlen("Signature=")) + "\r\n"},
    };
    for (const auto &[what, bytes] : cases)
        EXPECT_FALSE(Body(bytes)) << what;
    for (qsizetype at = 0; at < lineStart; ++at) {
        QByteArray flipped = good;
        flipped[at] = char(flipped[at] ^ 0x01);
        EXPECT_FALSE(Body(flipped)) << "byte " << at << " flipped";
    }
}

// A key in the url-safe alphabet is written with a '-' of its own: a random key's url-safe
// encoding is its standard one whenever it holds no '+' or '/'.
TEST_F(DescriptorSignatureTest, AKeyThatIsNotThirtyTwoBytesOfBase64RefusesEveryDescriptor)
{
    const QByteArray raw = QByteArray::fromBase64(m_platform.publicKey.toLatin1());
    ASSERT_EQ(raw.size(), 32);
    const QString invalid[] = {"", " ", "x", raw.left(31).toBase64(), (raw + 'x').toBase64(), raw.toHex(),
                               m_platform.publicKey.chopped(1), "-" + m_platform.publicKey.mid(1),
                               m_platform.publicKey.left(20) + " " + m_platform.publicKey.mid(20)};
    for (const QString &text : invalid) {
        const DescriptorKey key = DescriptorKey::FromSetting(text);
        EXPECT_EQ(key.kind, DescriptorKey::Kind::Invalid) << text.toStdString();
        EXPECT_FALSE(VerifiedDescriptorBody(Signed(kLf), key)) << text.toStdString();
    }
    EXPECT_EQ(DescriptorKey::FromSetting(std::nullopt).kind, DescriptorKey::Kind::None);
    EXPECT_EQ(DescriptorKey::FromSetting(" " + m_platform.publicKey + " ").kind, DescriptorKey::Kind::Valid);

    // Platform.ini: no setting is no key; a setting the INI reader splits stays invalid.
    const QString ini = m_dir.filePath("Platform.ini");
    const std::pair<QByteArray, DescriptorKey::Kind> files[] = {
        {"[Hosts]\nApps=http://a.example\n", DescriptorKey::Kind::None},
        {SigningTool::PlatformIniKey(m_platform.publicKey), DescriptorKey::Kind::Valid},
        {"[Update]\nPublicKey=\n", DescriptorKey::Kind::Invalid},
        {"[Update]\nPublicKey=" + m_platform.publicKey.toLatin1().insert(10, ',') + "\n", DescriptorKey::Kind::Invalid},
    };
    for (const auto &[text, kind] : files) {
        ASSERT_TRUE(WriteFile(ini, text));
        EXPECT_EQ(DescriptorKey::FromSetting(PlatformHosts::Load(ini).updateKey).kind, kind) << text.toStdString();
    }
}

TEST_F(UpdateCheckTest, WithAPlatformKeyOnlyItsSignatureLeadsToAnOffer)
{
    QTemporaryDir keys;
    const SigningTool::KeyPair platform = SigningTool::NewKeyPair(keys.path(), "platform.key");
    const SigningTool::KeyPair other = SigningTool::NewKeyPair(keys.path(), "other.key");
    m_subject.key = DescriptorKey::FromSetting(platform.publicKey);
    const QByteArray text = "[VerKey]\r\nycj=ffff\r\nUpdAddr=http://res.example/new\r\nSHA256=abcd\r\n";
    const QByteArray good = SigningTool::Sign(platform.keyFile, text);
    for (const QByteArray &bad : {text, SigningTool::Sign(other.keyFile, text), good + "UpdAddr=http://evil/\r\n"}) {
        Publish(bad.toStdString());
        bool reached = true;
        EXPECT_FALSE(CheckForUpdateOf(m_subject, true, nullptr, &reached)) << bad.toStdString();
        EXPECT_FALSE(reached);
        EXPECT_FALSE(QFile::exists(m_subject.descriptorFile));
    }
    Publish(good.toStdString());
    UpdateDescriptor offer;
    ASSERT_TRUE(CheckForUpdateOf(m_subject, true, &offer));
    EXPECT_EQ(offer.address, "http://res.example/new");
    EXPECT_EQ(offer.sha256, "abcd");
    EXPECT_TRUE(offer.signedByPlatform);
}

TEST(UpdateTimeTest, StoresSixteenBytesOfUtcTime)
{
    const QDateTime at(QDate(2026, 12, 8), QTime(23, 59, 58, 765), Qt::UTC);
    const QByteArray bytes = EncodeUpdateTime(at);
    ASSERT_EQ(bytes.size(), 16);
    const QByteArray expected("\xea\x07\x0c\x00\x02\x00\x08\x00\x17\x00\x3b\x00\x3a\x00\xfd\x02", 16);
    EXPECT_EQ(bytes, expected);
}

TEST(UpdateTimeTest, DueOncePerUtcDate)
{
    QTemporaryDir dir;
    const QString store = dir.filePath("ycj/UpdTime");
    const QDateTime late(QDate(2026, 12, 8), QTime(23, 59), Qt::UTC);
    EXPECT_TRUE(IsUpdateDue(store, late));
    ASSERT_TRUE(RecordUpdateTime(store, late));
    EXPECT_FALSE(IsUpdateDue(store, late.addSecs(30)));
    // Just after UTC midnight it is due again, whatever the local date says.
    EXPECT_TRUE(IsUpdateDue(store, late.addSecs(120)));
    EXPECT_TRUE(IsUpdateDue(store, late.addYears(1)));
    EXPECT_TRUE(IsUpdateDue(store, late.addMonths(-1)));
}

TEST(UpdateTimeTest, AStoreThatCannotBeMadeMeansNoAutomaticCheck)
{
    QTemporaryDir dir;
    ASSERT_TRUE(WriteFile(dir.filePath("file"), "x"));
    const QString store = dir.filePath("file/ycj/UpdTime");
    EXPECT_FALSE(IsUpdateDue(store, QDateTime::currentDateTimeUtc()));
    EXPECT_FALSE(RecordUpdateTime(store, QDateTime::currentDateTimeUtc()));
}

TEST(PendingDeletionsTest, DeletesDueFilesAndCountsTheOthersDown)
{
    QTemporaryDir dir;
    const QString list = dir.filePath("key/PendingDeletions");
    const QString now = dir.filePath("Newycj.exe"), later = dir.filePath("Oldycj.exe");
    ASSERT_TRUE(WriteFile(now, "n") && WriteFile(later, "o"));
    ASSERT_TRUE(PendingDeletions::Schedule(list, now, 0));
    ASSERT_TRUE(PendingDeletions::Schedule(list, later, 1));
    ASSERT_TRUE(PendingDeletions::Schedule(list, later, 1)); // once only
    EXPECT_FALSE(PendingDeletions::Schedule(list, "relative/path", 0));

    PendingDeletions::WorkOff(list);
    EXPECT_FALSE(QFile::exists(now));
    EXPECT_TRUE(QFile::exists(later));
    PendingDeletions::WorkOff(list);
    EXPECT_FALSE(QFile::exists(later));
    EXPECT_FALSE(QFile::exists(list));
}

TEST(PendingDeletionsTest, AMangledListDeletesNothingItDoesNotName)
{
    QTemporaryDir dir;
    const QString list = dir.filePath("PendingDeletions");
    const QString keep = dir.filePath("keep");
    ASSERT_TRUE(WriteFile(keep, "k"));
    ASSERT_TRUE(WriteFile(list, "garbage\n\t" + keep.toUtf8() + "\nx\t" + keep.toUtf8() + "\n0\t\n\xff\xfe\n"));
    PendingDeletions::WorkOff(list);
    EXPECT_TRUE(QFile::exists(keep));
}

class ExecutableSwapTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(WriteFile(Current(), "old build"));
        ASSERT_EQ(::chmod(QFile::encodeName(Current()).constData(), 0751), 0);
        ASSERT_TRUE(WriteFile(New(), "new build"));
    }

    QString Current() const { return m_dir.filePath("fenlow"); }
    QString New() const { return m_dir.filePath("Newycj.exe"); }
    QString Old() const { return m_dir.filePath("Oldycj.exe"); }
    static UpdateDescriptor Md5Of(const QByteArray &bytes)
    {
        return {QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex()), {}};
    }

    QTemporaryDir m_dir;
};

TEST_F(ExecutableSwapTest, PutsTheNewBuildInPlaceWithTheOldPermissions)
{
    UpdateDescriptor upperCase = Md5Of("new build");
    upperCase.version = upperCase.version.toUpper();
    upperCase.sha256 = QString::fromLatin1(QCryptographicHash::hash("new build", QCryptographicHash::Sha256).toHex()).toUpper();
    ASSERT_TRUE(SwapInExecutable(Current(), New(), Old(), upperCase));
    EXPECT_EQ(ReadFile(Current()), "new build");
    EXPECT_EQ(ReadFile(Old()), "old build");
    EXPECT_FALSE(QFile::exists(New()));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(Current()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0751u);
}

TEST_F(ExecutableSwapTest, ADownloadThatIsNotTheNamedReleaseChangesNothing)
{
    UpdateDescriptor otherSha256 = Md5Of("new build");
    otherSha256.sha256 = QString::fromLatin1(QCryptographicHash::hash("other build", QCryptographicHash::Sha256).toHex());
    for (const UpdateDescriptor &expected : {Md5Of("other build"), UpdateDescriptor{}, UpdateDescriptor{"not a digest", {}},
                                             otherSha256}) {
        EXPECT_FALSE(SwapInExecutable(Current(), New(), Old(), expected));
        EXPECT_EQ(ReadFile(Current()), "old build");
        EXPECT_FALSE(QFile::exists(Old()));
    }
    EXPECT_FALSE(SwapInExecutable(Current(), m_dir.filePath("missing"), Old(), Md5Of("")));
    EXPECT_EQ(ReadFile(Current()), "old build");
}

TEST_F(ExecutableSwapTest, AFailedMoveLeavesTheRunningFileInPlace)
{
    // A folder under the old name cannot be replaced by the running file.
    ASSERT_TRUE(QDir(m_dir.path()).mkpath("Oldycj.exe/inside"));
    EXPECT_FALSE(SwapInExecutable(Current(), New(), Old(), Md5Of("new build")));
    EXPECT_EQ(ReadFile(Current()), "old build");
    EXPECT_EQ(ReadFile(New()), "new build");
}

TEST_F(ExecutableSwapTest, FilesOutsideTheExecutablesFolderAreRefused)
{
    QTemporaryDir elsewhere;
    const QString outside = elsewhere.filePath("Newycj.exe");
    ASSERT_TRUE(WriteFile(outside, "new build"));
    EXPECT_FALSE(SwapInExecutable(Current(), outside, Old(), Md5Of("new build")));
    EXPECT_EQ(ReadFile(Current()), "old build");
}

} // namespace
