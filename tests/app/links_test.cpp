#include "app/links.h"

#include "app/platform.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <climits>
#include <string>

namespace qm {
namespace {

TEST(Links, UrlsAroundTheHost)
{
    EXPECT_EQ(searchUrlPrefix("127.0.0.1:18080").str(), "http://127.0.0.1:18080/weibo/");
    EXPECT_EQ(fullListUrl("127.0.0.1:18080").str(), "https://127.0.0.1:18080/top/summary?cate=realtimehot");
}

TEST(Links, AutoRefreshPeriod)
{
    const struct
    {
        const char* text;
        int period;
    } cases[] = {
        {"60", 60000},
        {"1", 1000},
        {"0", 0},
        {"-5", 0},
        {"", 0},
        {"abc", 0},
        {"30abc", 30000},
        {"\xA3\xB6\xA3\xB0", 60000}, // full-width ６０
        {"2147483", 2147483000},
        {"2147484", INT_MAX}, // beyond a 32-bit count of milliseconds
        {"2147483647", INT_MAX},
        {"-2147483648", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(autoRefreshPeriod(c.text), c.period);
    }
}

// A stand-in xdg-open first in PATH records its arguments, one per line.
class OpenUrlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_record = m_dir.filePath("argv");
        QFile script(m_dir.filePath("xdg-open"));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > \"" + QFile::encodeName(m_record) +
                     ".tmp\"\n"
                     "mv \"" +
                     QFile::encodeName(m_record) + ".tmp\" \"" + QFile::encodeName(m_record) + "\"\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_oldPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(m_dir.path()) + ":" + m_oldPath);
    }
    void TearDown() override { qputenv("PATH", m_oldPath); }

    // The recorded arguments, or an empty array when the opener did not run within two seconds.
    QByteArray waitForRecord()
    {
        for (int i = 0; i < 200 && !QFile::exists(m_record); ++i) {
            QThread::msleep(10);
        }
        QFile file(m_record);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
    QString m_record;
    QByteArray m_oldPath;
};

TEST_F(OpenUrlTest, PassesTheUrlAsOneUtf8ArgumentUnchanged)
{
    // GBK 热搜 #引号, with spaces and "#": no encoding, no trimming, no splitting at spaces.
    openUrl("http://127.0.0.1:18080/weibo/ \xC8\xC8\xCB\xD1 #\xD2\xFD\xBA\xC5 ");
    EXPECT_EQ(waitForRecord().toStdString(), "1\nhttp://127.0.0.1:18080/weibo/ 热搜 #引号 \n");
}

TEST_F(OpenUrlTest, ShellCharactersReachTheOpenerLiterally)
{
    openUrl("http://h/weibo/$(touch x);`id`|'\"");
    EXPECT_EQ(waitForRecord().toStdString(), "1\nhttp://h/weibo/$(touch x);`id`|'\"\n");
}

} // namespace
} // namespace qm
