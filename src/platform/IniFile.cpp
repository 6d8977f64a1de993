#include "platform/IniFile.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace ds::platform {

namespace {

struct IniText {
    QStringList lines;
#ifdef Q_OS_WIN
    QString eol = QStringLiteral("\r\n");
#else
    QString eol = QStringLiteral("\n");
#endif
    bool utf8 = true;
    bool endsWithNewline = true;
};

IniText load(const QString& path, bool* exists) {
    IniText ini;
    QFile file(path);
    *exists = file.open(QIODevice::ReadOnly);
    if (!*exists)
        return ini;
    const QByteArray bytes = file.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        ini.utf8 = false;
        text = QStringDecoder("windows-1252").decode(bytes);
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    if (text.contains(QLatin1String("\r\n")))
        ini.eol = QStringLiteral("\r\n");
    else if (text.contains(QLatin1Char('\n')))
        ini.eol = QStringLiteral("\n");
    ini.endsWithNewline = text.isEmpty() || text.endsWith(QLatin1Char('\n'));
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    ini.lines = text.split(QLatin1Char('\n'));
    if (ini.endsWithNewline && !ini.lines.isEmpty() && ini.lines.back().isEmpty())
        ini.lines.removeLast();
    return ini;
}

// "[name]" with blanks around allowed; returns the name or a null string.
QString sectionName(const QString& line) {
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return {};
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    if (close < 0)
        return {};
    return t.mid(1, close - 1).trimmed();
}

bool isKeyLine(const QString& line, const QString& key, QString* value) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return false;
    const QString name = line.left(eq).trimmed();
    if (name.startsWith(QLatin1Char(';')) || name.compare(key, Qt::CaseInsensitive) != 0)
        return false;
    if (value) {
        QString v = line.mid(eq + 1).trimmed();
        if (v.size() >= 2 && (v.front() == QLatin1Char('"') || v.front() == QLatin1Char('\'')) &&
            v.back() == v.front())
            v = v.mid(1, v.size() - 2);
        *value = v;
    }
    return true;
}

// Index range [begin, end) of the section's body, or begin = -1 when the section is missing.
std::pair<qsizetype, qsizetype> findSection(const QStringList& lines, const QString& section) {
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString name = sectionName(lines[i]);
        if (!name.isNull() && name.compare(section, Qt::CaseInsensitive) == 0) {
            qsizetype end = i + 1;
            while (end < lines.size() && sectionName(lines[end]).isNull())
                ++end;
            return {i + 1, end};
        }
    }
    return {-1, -1};
}

bool save(const QString& path, const IniText& ini) {
    QString text = ini.lines.join(ini.eol);
    if (ini.endsWithNewline)
        text += ini.eol;
    QByteArray bytes;
    bool useUtf8 = ini.utf8;
    if (!useUtf8) {
        QStringEncoder enc("windows-1252");
        bytes = enc.encode(text);
        if (enc.hasError())
            useUtf8 = true;  // a character 1252 cannot hold: keep it rather than lose it
    }
    if (useUtf8)
        bytes = text.toUtf8();
    // Written in place, not by rename, so that the file keeps its owner, links and permissions.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

}  // namespace

QString IniFile::read(const QString& path, const QString& section, const QString& key,
                      const QString& defaultValue) {
    QString fallback = defaultValue;
    while (fallback.endsWith(QLatin1Char(' ')))
        fallback.chop(1);
    bool exists = false;
    const IniText ini = load(path, &exists);
    if (!exists)
        return fallback.left(kMaxValueLength);
    const auto [begin, end] = findSection(ini.lines, section);
    if (begin < 0)
        return fallback.left(kMaxValueLength);
    for (qsizetype i = begin; i < end; ++i) {
        QString value;
        if (isKeyLine(ini.lines[i], key, &value))
            return value.left(kMaxValueLength);
    }
    return fallback.left(kMaxValueLength);
}

bool IniFile::write(const QString& path, const QString& section, const QString& key,
                    const QString& value) {
    bool exists = false;
    IniText ini = load(path, &exists);
    const auto [begin, end] = findSection(ini.lines, section);
    if (begin < 0) {
        if (!ini.lines.isEmpty() && !ini.lines.back().trimmed().isEmpty())
            ini.lines.append(QString());
        ini.lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
        ini.lines.append(key + QLatin1Char('=') + value);
        ini.endsWithNewline = true;
        return save(path, ini);
    }
    for (qsizetype i = begin; i < end; ++i) {
        QString current;
        if (isKeyLine(ini.lines[i], key, &current)) {
            if (current == value && exists)
                return true;  // leave a hand-formatted line as it is
            const QString name =
                ini.lines[i].left(ini.lines[i].indexOf(QLatin1Char('='))).trimmed();
            ini.lines[i] = name + QLatin1Char('=') + value;
            return save(path, ini);
        }
    }
    // New key: after the section's last non-blank line, as the Windows functions place it.
    qsizetype insertAt = end;
    while (insertAt > begin && ini.lines[insertAt - 1].trimmed().isEmpty())
        --insertAt;
    ini.lines.insert(insertAt, key + QLatin1Char('=') + value);
    if (insertAt == ini.lines.size() - 1)
        ini.endsWithNewline = true;
    return save(path, ini);
}

}  // namespace ds::platform
