#pragma once
// The program's visual style "velun": Fusion underneath, the distributor's colours on top
// (#434C58 slate tab bar and column headers, #F6F9FB / white grounds, #F28C28 orange accents).
//
// Object names the style knows; give them before the widget is first shown:
//   "loginCaption"                a label in white bold text on orange (the login window's captions)
//   "velunHeader"                 a dark slate panel whose labels are white (the main window's header)
//   "velunLegend", "velunNewsBar" light bars under the tabs (status legend, news line)

#include <QFont>

class QApplication;

namespace velun {

inline constexpr char kVelunStyleName[] = "velun";

// Sets the style, its palette and the application font (Tahoma / DejaVu Sans, 13 px).
void ApplyVelunStyle(QApplication& app);

// The windows' font: Tahoma where installed, DejaVu Sans otherwise; 13 px bold by default.
QFont VelunFont(int pixelSize = 13, bool bold = true);

} // namespace velun
