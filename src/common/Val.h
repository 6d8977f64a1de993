#pragma once

#include <QString>

namespace ds {

// The numeric value of a setting or input text, read the way the old settings were read: blanks
// anywhere are ignored, the leading number counts (sign, digits, one decimal point, exponent),
// and a text without a leading number is 0. "12abc" -> 12, " 1 5" -> 15, "no" -> 0.
double val(const QString& text);

// val() rounded to the nearest whole number (halves to even, as the old conversion did) and
// clamped to the 32-bit range.
int valInt(const QString& text);

}  // namespace ds

namespace ds {

// Removes leading and trailing blanks (spaces only, as the old Trim did; tabs stay).
QString trimBlanks(const QString& text);

}  // namespace ds
