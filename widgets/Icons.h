#pragma once
// Icons of the buttons: the desktop theme's, or ours where the theme has none, so that a button
// never shows an empty box on a machine without an emoji font.

#include <QIcon>

namespace vardelo::widgets {

QIcon searchIcon(); // a magnifying glass
QIcon webIcon();    // a globe
// A red warning triangle, always ours: a theme's warning sign is often yellow and would not read as
// an emergency.
QIcon emergencyIcon();

} // namespace vardelo::widgets
