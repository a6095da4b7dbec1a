#include "settings/settings.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <langinfo.h>
#include <locale.h>
#include <sys/stat.h>

#include "settings/decimal_text.h"

namespace veskar::settings {
namespace {

const QString kFileName = QStringLiteral("vesk.ini");

SettingsRecord defaults(const char* text1) {
  SettingsRecord r;
  r.texts = {QString::fromLatin1(text1), QStringLiteral("3"),    QStringLiteral("29.00"),
             QStringLiteral("5"),        QStringLiteral("0.15"), QStringLiteral("0.10"),
             QStringLiteral("115.15")};
  return r;
}

// The character encoding of the user's locale, from the environment (LC_ALL, LC_CTYPE, LANG),
// looked up afresh on every load and save. Qt's own "System" encoding is UTF-8 on every Unix,
// and QCoreApplication may have moved the process's LC_CTYPE to UTF-8, so neither tells the
// locale's real encoding: a zh_CN.GBK user gets GBK here. The plain "C" locale (ASCII) and an
// unknown locale are taken as UTF-8, ASCII's superset, as Qt takes them.
QByteArray localeEncodingName() {
  QByteArray name = "UTF-8";
  if (locale_t loc = newlocale(LC_CTYPE_MASK, "", locale_t(nullptr))) {
    const char* codeset = nl_langinfo_l(CODESET, loc);
    if (codeset && *codeset && std::strcmp(codeset, "ANSI_X3.4-1968") != 0) name = codeset;
    freelocale(loc);
  }
  return name;
}

// Line 8: the whole line (blanks around it allowed) must be a decimal number; it is rounded to
// the nearest whole number, halves to the even neighbour, and only 0, 1 and 2 are accepted.
std::optional<int> boxStateOf(QStringView line) {
  const DecimalScan s = scanDecimal(line);
  if (!s.found) return std::nullopt;
  for (qsizetype i = s.end; i < line.size(); ++i) {
    if (!isBlank(line[i])) return std::nullopt;
  }
  const double rounded = std::nearbyint(s.value);  // the default rounding mode: halves to even
  if (rounded == 0.0) return 0;
  if (rounded == 1.0) return 1;
  if (rounded == 2.0) return 2;
  return std::nullopt;
}

// A record read whole from `text`, or nothing. A line ends at LF, and a CR just before the LF
// belongs to the line end; the last line may lack its line end. Lines after the eighth are
// never looked at.
std::optional<SettingsRecord> parse(QStringView text) {
  SettingsRecord r;
  qsizetype pos = 0;
  for (int line = 0; line < 8; ++line) {
    if (pos >= text.size()) return std::nullopt;  // no line left
    qsizetype lf = text.indexOf(u'\n', pos);
    qsizetype next = lf < 0 ? text.size() : lf + 1;
    qsizetype end = lf < 0 ? text.size() : lf;
    if (lf >= 0 && end > pos && text[end - 1] == u'\r') --end;
    const QStringView content = text.sliced(pos, end - pos);
    if (line < 7) {
      r.texts[line] = content.toString();
    } else {
      r.boxState = boxStateOf(content);
      if (!r.boxState) return std::nullopt;
    }
    pos = next;
  }
  return r;
}

}  // namespace

SettingsRecord missingFileDefaults() { return defaults("114.00"); }
SettingsRecord readFailureDefaults() { return defaults("113.00"); }

QString applicationDirectory() { return QCoreApplication::applicationDirPath(); }

QString AppFilePath(const QString& dir, const QString& name) {
  if (dir.endsWith(u'/')) return dir + name;
  return dir + u'/' + name;
}

// Only "no such file or directory" counts as missing. Anything else (no permission, a path
// through a regular file (ENOTDIR), a name too long, ...) counts as present, so that the read
// that follows fails and gives the read-failure defaults, never the missing-file ones.
bool FileExists(const QString& path) {
  if (path.isEmpty()) return false;
  struct stat st;
  if (::stat(QFile::encodeName(path).constData(), &st) == 0) return true;
  return errno != ENOENT;
}

SettingsRecord LoadSettings(const QString& dir) {
  const QString path = AppFilePath(dir, kFileName);
  if (!FileExists(path)) return missingFileDefaults();

  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return readFailureDefaults();
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) return readFailureDefaults();
  file.close();

  QStringDecoder decoder(localeEncodingName().constData());
  if (!decoder.isValid()) decoder = QStringDecoder(QStringDecoder::Utf8);
  const QString text = decoder.decode(bytes);
  if (std::optional<SettingsRecord> r = parse(text)) return *r;
  return readFailureDefaults();
}

SaveResult SaveSettings(const QString& dir, const SettingsRecord& record) {
  const QString path = AppFilePath(dir, kFileName);
  QString text;
  for (const QString& t : record.texts) text += t + QStringLiteral("\r\n");
  text += QString::number(record.boxState.value_or(0)) + QStringLiteral("\r\n");

  QStringEncoder encoder(localeEncodingName().constData());
  if (!encoder.isValid()) encoder = QStringEncoder(QStringEncoder::Utf8);
  const QByteArray bytes = encoder.encode(text);

  // Written beside the file and renamed over it: the old file stays whole when anything fails.
  // Unbuffered, so that a short write (file size limit, disk full) shows in write()'s count:
  // through Qt's buffer a partial flush went unnoticed and commit() renamed a shortened file.
  // The rest is written again until done or refused, so the refusal's description is at hand.
  QSaveFile file(path);
  SaveResult result;
  bool written = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
  for (qint64 done = 0; written && done < bytes.size();) {
    const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
    if (n <= 0) written = false; else done += n;
  }
  if (!written || !file.commit()) {
    result.ok = false;
    result.error = file.errorString();
    if (result.error.isEmpty()) result.error = QStringLiteral("Unknown error");
    file.cancelWriting();
  }
  return result;
}

}  // namespace veskar::settings
