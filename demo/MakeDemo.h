#pragma once
// The demo classroom: a complete installation tree for ./run. Every text file
// is code page 932 with CR LF. A file that exists already is left alone, so
// the results of earlier demo runs stay.

#include <QString>

class QDate;

// root/パスデータ.txt, root/data/共通データ.txt, root/data/circle/タイム回数データ.txt
void LayOutDemoConfiguration(const QString& root);
// root/data/新名簿.txt
void LayOutDemoRoster(const QString& root);
// root/data/音フォルダ/: the sound list and generated wave files
void LayOutDemoSounds(const QString& root);
// root/data/circle/成績累積データ.dat: past results over the months up to
// today, and beside it the attempt log of those runs
void LayOutDemoResults(const QString& root, const QDate& today);
// root/起動/: the small program menu; builtMenu is the menu program built
// for this system (demo-menu.exe beside make-demo on Windows), if any.
void LayOutDemoMenu(const QString& root, const QString& builtMenu);

// Writes text as code page 932 with CR LF line ends, unless the file exists.
bool WriteDemoTextOnce(const QString& path, const QString& text);
