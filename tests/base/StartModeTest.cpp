#include "base/StartMode.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

const QString kData = QStringLiteral("/home/p/.local/share");
const QString kElsewhere = QStringLiteral("/opt/games/fenlow");

StartMode Classify(const QStringList &arguments, const QString &exe = kElsewhere)
{
    return ClassifyStartMode(arguments, exe, kData);
}

TEST(StartModeTest, SwitchesAreComparedWithoutCase)
{
    EXPECT_EQ(Classify({"fenlow", "/webycjD"}), StartMode::WebSwitch);
    EXPECT_EQ(Classify({"fenlow", "/WEBYCJD"}), StartMode::WebSwitch);
    EXPECT_EQ(Classify({"fenlow", "/ycjd"}), StartMode::DirectSwitch);
    EXPECT_EQ(Classify({"fenlow", "/UnInst"}), StartMode::Uninstall);
}

TEST(StartModeTest, OnlyTheFirstArgumentCounts)
{
    EXPECT_EQ(Classify({"fenlow", "x", "/uninst"}), StartMode::Plain);
    EXPECT_EQ(Classify({"fenlow", "/uninst", "/ycjD"}), StartMode::Uninstall);
    EXPECT_EQ(Classify({"fenlow", "/uninstall"}), StartMode::Plain);
    EXPECT_EQ(Classify({"fenlow", ""}), StartMode::Plain);
}

TEST(StartModeTest, ASwitchWinsOverTheInstallLocation)
{
    const QString installed = kData + "/岚汐/ViziDuved/fenlow";
    EXPECT_EQ(Classify({"fenlow", "/ycjD"}, installed), StartMode::DirectSwitch);
    EXPECT_EQ(Classify({"fenlow", "anything"}, installed), StartMode::InstalledCopy);
}

TEST(StartModeTest, InstallLocationIsASubstringTestWithoutCase)
{
    EXPECT_EQ(Classify({"fenlow"}, kData + "/岚汐/ViziDuved/fenlow"), StartMode::InstalledCopy);
    EXPECT_EQ(Classify({"fenlow"}, kData + "/岚汐/VIZIDUVED/sub/fenlow"), StartMode::InstalledCopy);
    EXPECT_EQ(Classify({"fenlow"}, "/backup" + kData + "/岚汐/viziduved/old/fenlow"),
              StartMode::InstalledCopy);
    EXPECT_EQ(Classify({"fenlow"}, kData + "/岚汐/Vizi/fenlow"), StartMode::Plain);
}

TEST(StartModeTest, LinkedDataFolderStillRecognisesTheInstalledCopy)
{
    // $HOME (or $XDG_DATA_HOME) is a link; the executable's path comes resolved.
    QTemporaryDir dir;
    const QString real = dir.filePath("real");
    ASSERT_TRUE(QDir().mkpath(real + "/share/岚汐/ViziDuved"));
    ASSERT_TRUE(QFile::link(real, dir.filePath("home")));
    const QString linkedData = dir.filePath("home/share");
    const QString exe = QFileInfo(real + "/share/岚汐/ViziDuved").canonicalFilePath() + "/fenlow";
    EXPECT_EQ(ClassifyStartMode({"fenlow"}, exe, linkedData), StartMode::InstalledCopy);
    EXPECT_EQ(ClassifyStartMode({"fenlow"}, QFileInfo(real).canonicalFilePath() + "/share/fenlow", linkedData),
              StartMode::Plain);
}

TEST(StartModeTest, UnreadablePathsGivePlain)
{
    EXPECT_EQ(ClassifyStartMode({"fenlow"}, QString(), kData), StartMode::Plain);
    EXPECT_EQ(ClassifyStartMode({"fenlow"}, "/岚汐/ViziDuved/fenlow", QString()), StartMode::Plain);
    EXPECT_EQ(ClassifyStartMode({}, kElsewhere, kData), StartMode::Plain);
}

TEST(StartModeTest, InstallFolderLiesBelowTheDataFolder)
{
    EXPECT_EQ(InstallFolderBelow(kData), kData + "/岚汐/ViziDuved");
    EXPECT_TRUE(InstallFolderBelow(QString()).isEmpty());
}

} // namespace
