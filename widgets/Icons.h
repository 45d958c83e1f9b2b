#pragma once
// Icons of the buttons: the desktop theme's, or ours where the theme has none, so that a button
// never shows an empty box on a machine without an emoji font.

#include <QIcon>

namespace vardelo::widgets {

QIcon searchIcon(); // a magnifying glass
QIcon webIcon();    // a globe

} // namespace vardelo::widgets
