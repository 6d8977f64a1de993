#pragma once

#include <QString>
#include <QVariant>

namespace ds::viewer {

// The name the viewer shows for an engine type code; empty for a code outside its list.
QString typeName(int typeCode);

// A field value as text, the way the default conversion of a German system turns it into text:
// Booleans "Wahr"/"Falsch", numbers with a decimal comma and no thousands separators (Single to
// 7, Double to 15 significant digits, exponents as "1E+20"), Currency with up to four decimals,
// dates "dd.mm.yyyy" with " hh:mm:ss" when the time is not midnight (a time alone on the zero
// date 30.12.1899). Null and values without a text form give empty text. Binary values show as
// "(Binärdaten, n Bytes)"; an empty one as empty text.
QString valueText(const QVariant& value, int typeCode);

}  // namespace ds::viewer
