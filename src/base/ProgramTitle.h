#pragma once

// The program's title: the main window's caption, the login windows' titles and the
// caption of every question and notice the program shows.
inline constexpr char kProgramTitle[] = "岚汐翼川记";
