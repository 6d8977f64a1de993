#pragma once

#include <QString>

#include <functional>

namespace ds {

// Shortens a text in its middle until fits() accepts it: with L the current length, the text
// becomes its first max(3, L/3 - 3) characters, "...", and its last L/2 - 2 characters. Stops as
// soon as the text fits, and also when a pass would not make it shorter (eight characters or
// fewer); the text then stays as it was before that pass. The measuring is the caller's: the
// widget side passes font metrics, tests pass a plain length limit.
QString FitText(const QString& text, const std::function<bool(const QString&)>& fits);

// One shortening pass; returns the text unchanged when the pass would not shorten it.
QString shortenOnce(const QString& text);

}  // namespace ds
