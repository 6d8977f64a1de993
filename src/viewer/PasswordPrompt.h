#pragma once

#include <QString>

class QWidget;

namespace ds::viewer {

// The password prompt of a protected database: ";PWD=<password>;" or empty when the user
// cancels or enters nothing.
QString AskPassword(QWidget* owner);

}  // namespace ds::viewer
