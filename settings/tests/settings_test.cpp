// The settings file on real files: what loads from which bytes, what a save writes, and what
// is left when a save fails.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <csignal>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "settings/settings.h"

using veskar::settings::AppFilePath;
using veskar::settings::FileExists;
using veskar::settings::LoadSettings;
using veskar::settings::missingFileDefaults;
using veskar::settings::readFailureDefaults;
using veskar::settings::SaveSettings;
using veskar::settings::SettingsRecord;

// glibc's newlocale keeps the list it builds from LOCPATH (36 bytes per call); only the GBK
// test below sets LOCPATH. Not Veskar's memory.
extern "C" const char* __lsan_default_suppressions() { return "leak:argz_add_sep\n"; }

namespace {

// Sets an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const QByteArray& value) : name_(name) {
    had_ = qEnvironmentVariableIsSet(name);
    old_ = qgetenv(name);
    qputenv(name, value);
  }
  ~ScopedEnv() {
    if (had_) qputenv(name_, old_); else qunsetenv(name_);
  }

 private:
  const char* name_;
  bool had_;
  QByteArray old_;
};

QByteArray readBytes(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return "<unreadable>";
  return f.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(f.write(bytes), bytes.size());
}

const QByteArray kSevenLines = "114.5\r\n7\r\n30.00\r\n9\r\n0.30\r\n0.20\r\n117.00\r\n";

SettingsRecord record(std::array<const char*, 7> texts, std::optional<int> box) {
  SettingsRecord r;
  for (int i = 0; i < 7; ++i) r.texts[i] = QString::fromUtf8(texts[i]);
  r.boxState = box;
  return r;
}

void expectRecord(const SettingsRecord& expected, const SettingsRecord& actual) {
  for (int i = 0; i < 7; ++i) EXPECT_EQ(expected.texts[i], actual.texts[i]) << "Text" << i + 1;
  EXPECT_EQ(expected.boxState, actual.boxState);
}

class SettingsFile : public ::testing::Test {
 protected:
  // A UTF-8 locale whatever the machine's, so that the expected bytes are fixed.
  ScopedEnv lcAll{"LC_ALL", "C.UTF-8"};
  QTemporaryDir dir;
  QString path() const { return AppFilePath(dir.path(), QStringLiteral("vesk.ini")); }
};

TEST_F(SettingsFile, MissingFileGivesTheMissingFileDefaultsWithoutBoxState) {
  const SettingsRecord r = LoadSettings(dir.path());
  expectRecord(record({"114.00", "3", "29.00", "5", "0.15", "0.10", "115.15"}, std::nullopt), r);
}

TEST_F(SettingsFile, ReadFailureDefaultsDifferOnlyInLineOne) {
  expectRecord(record({"113.00", "3", "29.00", "5", "0.15", "0.10", "115.15"}, std::nullopt),
               readFailureDefaults());
}

// Each row: the file's bytes, and what loads (nullopt: the read-failure defaults).
struct LoadCase {
  const char* name;
  QByteArray bytes;
  std::optional<SettingsRecord> expected;
};
// Test names and failure messages show the row's name, not its bytes.
void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.name; }

class LoadCases : public SettingsFile, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(LoadCases, LoadsAllOrNothing) {
  writeBytes(path(), GetParam().bytes);
  const SettingsRecord r = LoadSettings(dir.path());
  expectRecord(GetParam().expected.value_or(readFailureDefaults()), r);
}

SettingsRecord sevenWith(std::optional<int> box) {
  return record({"114.5", "7", "30.00", "9", "0.30", "0.20", "117.00"}, box);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, LoadCases,
    ::testing::Values(
        LoadCase{"EmptyFile", "", std::nullopt},
        LoadCase{"SevenLines", kSevenLines, std::nullopt},
        LoadCase{"OnlyLineEnds", "\r\n\r\n\r\n\r\n\r\n\r\n\r\n", std::nullopt},
        LoadCase{"Line8Empty", kSevenLines + "\r\n", std::nullopt},
        LoadCase{"Line8Letters", kSevenLines + "abc\r\n", std::nullopt},
        LoadCase{"Line8Three", kSevenLines + "3\r\n", std::nullopt},
        LoadCase{"Line8NumberThenLetters", kSevenLines + "1a\r\n", std::nullopt},
        LoadCase{"Line8Minus1", kSevenLines + "-1\r\n", std::nullopt},
        LoadCase{"Line8TooLarge", kSevenLines + "1e999\r\n", std::nullopt},
        LoadCase{"Line8Zero", kSevenLines + "0\r\n", sevenWith(0)},
        LoadCase{"Line8One", kSevenLines + "1\r\n", sevenWith(1)},
        LoadCase{"Line8TwoIsGreyed", kSevenLines + "2\r\n", sevenWith(2)},
        LoadCase{"Line8OnePointFourRoundsToOne", kSevenLines + "1.4\r\n", sevenWith(1)},
        LoadCase{"Line8HalfRoundsToEvenZero", kSevenLines + "0.5\r\n", sevenWith(0)},
        LoadCase{"Line8OneAndAHalfRoundsToTwo", kSevenLines + "1.5\r\n", sevenWith(2)},
        LoadCase{"Line8TwoAndAHalfRoundsToEvenTwo", kSevenLines + "2.5\r\n", sevenWith(2)},
        LoadCase{"Line8MinusZeroPointFour", kSevenLines + "-0.4\r\n", sevenWith(0)},
        LoadCase{"Line8WithBlanksAndExponent", kSevenLines + " \t1e0 \r\n", sevenWith(1)},
        LoadCase{"Line8WithoutLineEnd", kSevenLines + "1", sevenWith(1)},
        LoadCase{"TenLinesUseTheFirstEight",
                 kSevenLines + "1\r\nnot read\r\nabc\r\n", sevenWith(1)},
        LoadCase{"LfLineEnds", "114.5\n7\n30.00\n9\n0.30\n0.20\n117.00\n2\n", sevenWith(2)},
        LoadCase{"BlanksAndLettersKept",
                 " 114.00 \r\nabc\r\n\t29\r\n\r\n0.15\r\n0.10\r\n115.15  \r\n0\r\n",
                 record({" 114.00 ", "abc", "\t29", "", "0.15", "0.10", "115.15  "}, 0)},
        LoadCase{"LoneCarriageReturnStaysInTheText",
                 "a\rb\r\n3\r\n29\r\n5\r\n0.15\r\n0.1\r\n115.15\r\n1\r\n",
                 record({"a\rb", "3", "29", "5", "0.15", "0.1", "115.15"}, 1)},
        LoadCase{"Utf8Text", "北京\r\n3\r\n29\r\n5\r\n0.15\r\n0.1\r\n115.15\r\n1\r\n",
                 record({"北京", "3", "29", "5", "0.15", "0.1", "115.15"}, 1)}),
    [](const ::testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.name); });

TEST_F(SettingsFile, ANonFileInPlaceOfTheFileGivesTheReadFailureDefaults) {
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("vesk.ini")));
  expectRecord(readFailureDefaults(), LoadSettings(dir.path()));
}

TEST_F(SettingsFile, ADirectoryThroughARegularFileIsNotMissing) {
  // The path exists only in part: that is another error than "not found".
  const QString file = dir.filePath(QStringLiteral("plain"));
  writeBytes(file, "x");
  EXPECT_TRUE(FileExists(file + QStringLiteral("/vesk.ini")));
  expectRecord(readFailureDefaults(), LoadSettings(file));
}

TEST_F(SettingsFile, FileExistsIsFalseOnlyForNotFound) {
  EXPECT_FALSE(FileExists(QString()));
  EXPECT_FALSE(FileExists(dir.filePath(QStringLiteral("none"))));
  EXPECT_FALSE(FileExists(dir.filePath(QStringLiteral("none/vesk.ini"))));
  EXPECT_TRUE(FileExists(dir.path()));
  writeBytes(path(), "");
  EXPECT_TRUE(FileExists(path()));
}

TEST(AppFilePathRule, OneSeparatorAlsoAtTheRoot) {
  EXPECT_EQ(AppFilePath(QStringLiteral("/"), QStringLiteral("vesk.ini")), QStringLiteral("/vesk.ini"));
  EXPECT_EQ(AppFilePath(QStringLiteral("/opt/veskar/bin"), QStringLiteral("vesk.ini")),
            QStringLiteral("/opt/veskar/bin/vesk.ini"));
  EXPECT_EQ(AppFilePath(QStringLiteral("/opt/veskar/bin/"), QStringLiteral("vesk.chm")),
            QStringLiteral("/opt/veskar/bin/vesk.chm"));
}

TEST_F(SettingsFile, SaveWritesEightCrLfLinesVerbatim) {
  const SettingsRecord r = record({" 114.00", "3", "29.00 ", "5", "0.15", "0.10", "115.15"}, 1);
  ASSERT_TRUE(SaveSettings(dir.path(), r).ok);
  EXPECT_EQ(readBytes(path()), QByteArray(" 114.00\r\n3\r\n29.00 \r\n5\r\n0.15\r\n0.10\r\n115.15\r\n1\r\n"));
  expectRecord(r, LoadSettings(dir.path()));
}

TEST_F(SettingsFile, SaveReplacesTheWholeFile) {
  writeBytes(path(), kSevenLines + "1\r\nline nine\r\nline ten\r\n");
  ASSERT_TRUE(SaveSettings(dir.path(), record({"1", "2", "3", "4", "5", "6", "7"}, 2)).ok);
  EXPECT_EQ(readBytes(path()), QByteArray("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n2\r\n"));
  // No temporary file is left beside it.
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("vesk.ini")});
}

TEST_F(SettingsFile, SaveIntoADirectoryInPlaceOfTheFileFailsWithTheSystemsWords) {
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("vesk.ini")));
  const auto result = SaveSettings(dir.path(), missingFileDefaults());
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.error.isEmpty());
}

TEST_F(SettingsFile, SaveThroughARegularFileFails) {
  const QString file = dir.filePath(QStringLiteral("plain"));
  writeBytes(file, "x");
  const auto result = SaveSettings(file, record({"1", "2", "3", "4", "5", "6", "7"}, 0));
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.error.isEmpty());
  EXPECT_EQ(readBytes(file), QByteArray("x"));
}

// The write itself fails half way (the file size limit of the process, which binds root as
// well): the old file is still whole, and nothing else is left in the directory.
TEST_F(SettingsFile, AFailedWriteLeavesTheOldFileWhole) {
  const QByteArray old = kSevenLines + "1\r\n";
  writeBytes(path(), old);
  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 10;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const auto result = SaveSettings(dir.path(), record({"115", "4", "30", "6", "0.2", "0.2", "117"}, 0));
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.error.isEmpty()) << "the system's description";
  EXPECT_EQ(readBytes(path()), old);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("vesk.ini")});
}

// SaveSettings as a user without write permission on the directory. Permissions do not stop
// root, so as root the save runs in a child process that has become "nobody".
veskar::settings::SaveResult saveAsUnprivilegedUser(const QString& dir, const SettingsRecord& r) {
  if (geteuid() != 0) return SaveSettings(dir, r);
  int fds[2];
  if (pipe(fds) != 0) return {false, QStringLiteral("<pipe failed>")};
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    QByteArray report = "setuid failed";
    if (setgid(65534) == 0 && setuid(65534) == 0) {
      const auto result = SaveSettings(dir, r);
      report = (result.ok ? "1" : "0") + result.error.toUtf8();
    }
    ssize_t unused = write(fds[1], report.constData(), static_cast<size_t>(report.size()));
    (void)unused;
    _exit(0);
  }
  close(fds[1]);
  QByteArray report;
  char buf[256];
  for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) report.append(buf, n);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!report.startsWith('0') && !report.startsWith('1')) return {false, QStringLiteral("<child: ") + QString::fromUtf8(report) + u'>'};
  return {report.startsWith('1'), QString::fromUtf8(report.mid(1))};
}

TEST_F(SettingsFile, AReadOnlyDirectoryRefusesTheSaveAndKeepsTheOldFile) {
  const QByteArray old = kSevenLines + "0\r\n";
  writeBytes(path(), old);
  const auto readOnly = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                        QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
  ASSERT_TRUE(QFile::setPermissions(dir.path(), readOnly));
  const auto result = saveAsUnprivilegedUser(dir.path(), missingFileDefaults());
  QFile::setPermissions(dir.path(), readOnly | QFileDevice::WriteOwner);
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.error.isEmpty());
  EXPECT_FALSE(result.error.startsWith(u'<')) << result.error.toStdString();
  EXPECT_EQ(readBytes(path()), old);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("vesk.ini")});
}

// Under a zh_CN.GBK locale the file is GBK, as a Chinese system's own encoding. The locale is
// compiled into a scratch folder with localedef (the machine need not have it installed).
TEST(SettingsEncoding, GbkLocaleRoundTrip) {
  QTemporaryDir locales;
  const QString localedef = QStandardPaths::findExecutable(QStringLiteral("localedef"));
  if (localedef.isEmpty()) GTEST_SKIP() << "no localedef";
  QProcess p;
  p.start(localedef, {QStringLiteral("-i"), QStringLiteral("zh_CN"), QStringLiteral("-f"),
                      QStringLiteral("GBK"), locales.filePath(QStringLiteral("zh_CN.GBK"))});
  p.waitForFinished(60000);
  if (!QFileInfo::exists(locales.filePath(QStringLiteral("zh_CN.GBK/LC_CTYPE"))))
    GTEST_SKIP() << "localedef could not build zh_CN.GBK: " << p.readAllStandardError().toStdString();

  ScopedEnv locpath("LOCPATH", QFile::encodeName(locales.path()));
  ScopedEnv lcAll("LC_ALL", "zh_CN.GBK");
  QTemporaryDir dir;
  const SettingsRecord r = record({"北京54坐标系", "3", "29.00", "5", "0.15", "0.10", "115.15"}, 1);
  ASSERT_TRUE(SaveSettings(dir.path(), r).ok);
  // 北 B1B1, 京 BEA9, 坐 D7F8, 标 B1EA, 系 CFB5
  EXPECT_EQ(readBytes(AppFilePath(dir.path(), QStringLiteral("vesk.ini"))),
            QByteArray("\xB1\xB1\xBE\xA9" "54\xD7\xF8\xB1\xEA\xCF\xB5\r\n3\r\n29.00\r\n5\r\n"
                       "0.15\r\n0.10\r\n115.15\r\n1\r\n"));
  expectRecord(r, LoadSettings(dir.path()));
}

}  // namespace
