// Replays every saved fuzzing input through the same checks the fuzzer runs,
// so a crash the fuzzer once found stays fixed.

#include "FuzzTargets.h"

#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>

TEST(FuzzCorpus, EveryInputLoadsAndRoundTrips)
{
    int n = 0;
    QDirIterator it(MORVANE_CORPUS_DIR, QDir::Files | QDir::Hidden);
    while (it.hasNext()) {
        QFile f(it.next());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << f.fileName().toStdString();
        const QByteArray bytes = f.readAll();
        SCOPED_TRACE(f.fileName().toStdString());
        const auto *data = reinterpret_cast<const std::uint8_t *>(bytes.constData());
        const auto size = std::size_t(bytes.size());
        for (const char *broken : {morvane::FuzzGridFile(data, size), morvane::FuzzPickList(data, size),
                                   morvane::FuzzTexts(data, size)})
            EXPECT_EQ(broken, nullptr) << (broken ? broken : "");
        ++n;
    }
    EXPECT_GE(n, 10);
}
