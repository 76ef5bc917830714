// The settings store: the replacement texts and the options in the current user's registry,
// the machine-wide autostart entry, and the removal of both that "/c" asks for.
#pragma once

namespace settings {

enum { kOptionCount = 7 };

// Seven 'y'/'n' characters, "yyyyyyy" at start: [0] the logo at start-up, [1] the tray icon,
// the other five carried and stored unchanged. Reads and writes cover the first eight bytes;
// a guard byte after them keeps the characters terminated whatever the registry held.
extern char Options[];

// Fills the replacement texts and Options from the registry; whatever is missing or does not
// fit is written back from memory, so the key holds all thirteen values afterwards. A text
// that changes is passed on to the buttons relabelled with the old one (caption::ChangePhrase).
void LoadSettings();
// Writes all twelve replacement texts and Options.
void SaveSettings();

// True when the autostart value can be read; its data is not compared with anything.
bool IsAutostartSet();
// Whether this process may make the changes below: write the Run key and the program-files
// folder. Where it may not, they change nothing.
bool CanChangeAutostart();
// The program's own path, or null when it does not fit the entry whole (256 characters and
// more): a cut path would be an entry that starts nothing.
const wchar_t* ProgramPath();
// Whether an entry could be made for this program at all, by it or by an elevated copy.
bool CanMakeAutostart();
// Each returns whether the value is now as asked. Windows starts the entry's file at every
// user's logon, so it names a file only administrators may change: the program itself where it
// lies in the program-files folder, otherwise its copy there, <program files>\VORKALUN, made
// first; where that cannot be made, or the entry's path does not fit, nothing is written.
bool AddAutostart();
// Removing an entry that names the copy removes the copy and its folder too.
bool RemoveAutostart();

// The "/c" switch: the product's own key goes (its parent stays), and the autostart value.
void RemoveAllSettings();

}  // namespace settings
