#pragma once
// Where the external tools are looked for: the general tool folder
// "<application folder>/gnu", and "<application folder>/gnu/avc" for mplayer
// and mencoder. A tool missing there is run by its bare name from PATH.
//
// Threads: any thread; the override is meant to be set before tools run.

#include <QString>

QString GetToolFolder();
QString GetMPlayerToolFolder();

// folder/name when that file exists and is executable, else the bare name.
QString FindTool(const QString& folder, const QString& name);

// The mplayer that identification and preview run.
QString FindMPlayer();

// Test seam: run this program instead of mplayer (empty: normal lookup).
void SetMPlayerPathOverride(const QString& path);
