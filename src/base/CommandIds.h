#pragma once
// The numbers of the main window's commands. Menus 243 and 184 and
// accelerator table 248 of the resource bundle name their items by these
// numbers, and the language files translate menu items by them, so a number
// never changes. Every command goes through the window's CommandTable,
// whatever issues it: a menu item, a key, a button of the title strip or of
// the site panel.

namespace CommandId {
// Menu "File"; Paste and AddAddresses are also in the task list's context
// menu, Paste also on Ctrl+V and Shift+Ins, AddAddresses on Ctrl+N, Ins and
// the strip's add button.
inline constexpr int AddAddresses = 32783;
inline constexpr int Paste = 57637;
inline constexpr int ImportLinks = 32854;
inline constexpr int OpenOutputFolder = 32779; // also the site panel's folder button
inline constexpr int ChooseOutputFolder = 32780;
inline constexpr int Exit = 32772;

// Menu "Tools".
inline constexpr int Options = 32791; // also the site panel's options button
inline constexpr int CheckUpdates = 32771;

// The language submenu of "Tools": the automatic item, then one command per
// language file from FirstLanguage on. Commands past LastLanguage are not
// handled: at most 21 languages can be chosen.
inline constexpr int LanguageAuto = 32858;
inline constexpr int FirstLanguage = 40000;
inline constexpr int LastLanguage = 40020;

// Menu "Tasks" and the task list's context menu (first popup of menu 184).
inline constexpr int StartAll = 32855; // also the strip's start button
inline constexpr int StartSelected = 32835;
inline constexpr int Stop = 32856;
inline constexpr int StopAsking = 32836; // also the strip's stop button
inline constexpr int RemoveSelected = 32828;
inline constexpr int RemoveAll = 32829;
inline constexpr int SelectAll = 57642;
inline constexpr int CheckSelected = 32831;
inline constexpr int UncheckSelected = 32832;
inline constexpr int OpenContainingFolder = 32796;
// Media actions on the selected file (the task list's or the history's).
inline constexpr int SaveMarkedRange = 33320;
inline constexpr int ConvertToMp3 = 33321;
inline constexpr int ConvertToM4a = 33322;
inline constexpr int ConvertToMp4 = 33323;

// Menu "Help".
inline constexpr int Help = 32778;
inline constexpr int HomePage = 32839;
inline constexpr int ProductPage = 32853;
inline constexpr int About = 32837;

// The history list's context menu (second popup of menu 184).
inline constexpr int HistoryOpenContainingFolder = 32774;
inline constexpr int HistoryRemoveSelected = 32776;
inline constexpr int HistoryOpenVideoPage = 32857;

// The about item the window adds to its title area's menu.
inline constexpr int SystemAbout = 16;
} // namespace CommandId
