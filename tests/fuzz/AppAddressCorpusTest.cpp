#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "fuzz/AppAddressFuzzCheck.h"

namespace {

// Every seed of the fuzz corpus passes the fuzz checks in the ordinary build too.
TEST(AppAddressCorpusTest, EverySeedPassesTheFuzzChecks)
{
    const QDir corpus(QStringLiteral(FENLOW_SOURCE_DIR "/tests/fuzz/corpus"));
    const QStringList seeds = corpus.entryList(QDir::Files);
    ASSERT_FALSE(seeds.isEmpty()) << qPrintable(corpus.path());
    for (const QString &seed : seeds) {
        QFile file(corpus.filePath(seed));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(seed);
        EXPECT_TRUE(CheckAppAddressInput(file.readAll())) << qPrintable(seed);
    }
}

} // namespace
