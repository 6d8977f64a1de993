#include "viewer/ValueText.h"

#include "dbengine/Recordset.h"

#include <QDateTime>

#include <cmath>

namespace ds::viewer {

namespace {

// General number format: up to `digits` significant digits, exponent form outside the range
// the old conversion wrote out in full, decimal comma.
QString numberText(double v, int digits) {
    if (std::isnan(v) || std::isinf(v))
        return {};
    if (v == 0.0)
        return QStringLiteral("0");
    QString t = QString::number(v, 'g', digits);
    const qsizetype e = t.indexOf(QLatin1Char('e'));
    if (e >= 0) {
        // "1e+20" -> "1E+20", "1e-05" -> "1E-05": at least two exponent digits.
        QString mantissa = t.left(e);
        const QChar sign = t.at(e + 1);
        QString exponent = t.mid(e + 2);
        while (exponent.size() > 2 && exponent.startsWith(QLatin1Char('0')))
            exponent.remove(0, 1);
        if (exponent.size() < 2)
            exponent.prepend(QLatin1Char('0'));
        t = mantissa + QLatin1Char('E') + sign + exponent;
    }
    t.replace(QLatin1Char('.'), QLatin1Char(','));
    return t;
}

QString currencyText(double v) {
    QString t = QString::number(v, 'f', 4);
    while (t.endsWith(QLatin1Char('0')))
        t.chop(1);
    if (t.endsWith(QLatin1Char('.')))
        t.chop(1);
    if (t == QLatin1String("-0"))
        t = QStringLiteral("0");
    t.replace(QLatin1Char('.'), QLatin1Char(','));
    return t;
}

QString dateText(const QDateTime& dt) {
    if (!dt.isValid())
        return {};
    const QDate zeroDate(1899, 12, 30);
    const QTime time = dt.time();
    const bool midnight = time.hour() == 0 && time.minute() == 0 && time.second() == 0;
    if (dt.date() == zeroDate)
        return time.toString(QStringLiteral("hh:mm:ss"));
    const QString date = dt.date().toString(QStringLiteral("dd.MM.yyyy"));
    return midnight ? date : date + QLatin1Char(' ') + time.toString(QStringLiteral("hh:mm:ss"));
}

}  // namespace

QString typeName(int typeCode) {
    switch (typeCode) {
        case db::type::Boolean:
            return QStringLiteral("Boolean");
        case db::type::Byte:
            return QStringLiteral("Byte");
        case db::type::Integer:
            return QStringLiteral("Integer");
        case db::type::Long:
            return QStringLiteral("Long");
        case db::type::Currency:
            return QStringLiteral("Currency");
        case db::type::Single:
            return QStringLiteral("Single");
        case db::type::Double:
            return QStringLiteral("Double");
        case db::type::Date:
            return QStringLiteral("Datum");
        case db::type::Text:
            return QStringLiteral("Text");
        case db::type::LongBinary:
            return QStringLiteral("Longbinary");
        case db::type::Memo:
            return QStringLiteral("Memo");
        default:
            return {};
    }
}

QString valueText(const QVariant& value, int typeCode) {
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
        case QMetaType::Bool:
            return value.toBool() ? QStringLiteral("Wahr") : QStringLiteral("Falsch");
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
            if (typeCode == db::type::Boolean)
                return value.toLongLong() != 0 ? QStringLiteral("Wahr") : QStringLiteral("Falsch");
            return value.toString();
        case QMetaType::Float:
            return numberText(double(value.toFloat()), 7);
        case QMetaType::Double:
            if (typeCode == db::type::Currency)
                return currencyText(value.toDouble());
            if (typeCode == db::type::Single)
                return numberText(double(float(value.toDouble())), 7);
            return numberText(value.toDouble(), 15);
        case QMetaType::QDateTime:
            return dateText(value.toDateTime());
        case QMetaType::QDate:
            return dateText(QDateTime(value.toDate(), QTime(0, 0)));
        case QMetaType::QTime:
            return dateText(QDateTime(QDate(1899, 12, 30), value.toTime()));
        case QMetaType::QString:
            return value.toString();
        case QMetaType::QByteArray: {
            const qsizetype n = value.toByteArray().size();
            if (n == 0)
                return {};
            return QStringLiteral("(Binärdaten, %1 Bytes)").arg(n);
        }
        default:
            break;
    }
    // Anything else that has a plain text form (e.g. a GUID); otherwise empty.
    if (value.canConvert<QString>())
        return value.toString();
    return {};
}

}  // namespace ds::viewer
